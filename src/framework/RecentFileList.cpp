#include "framework/RecentFileList.h"

#include <QSettings>

CRecentFileList::CRecentFileList(QString section, int nSize) : m_strSection(std::move(section)), m_nMaxSize(nSize) {}

void CRecentFileList::Add(const QString& path) {
    if (path.isEmpty())
        return;
    m_files.removeAll(path);
    m_files.prepend(path);
    while (m_files.size() > m_nMaxSize)
        m_files.removeLast();
}

void CRecentFileList::Remove(int index) {
    if (index >= 0 && index < m_files.size())
        m_files.removeAt(index);
}

void CRecentFileList::ReadList(QSettings& settings) {
    m_files.clear();
    settings.beginGroup(m_strSection);
    for (int i = 0; i < m_nMaxSize; ++i) {
        const QString path = settings.value(QStringLiteral("File%1").arg(i + 1)).toString();
        if (!path.isEmpty() && !m_files.contains(path))
            m_files.push_back(path);
    }
    settings.endGroup();
}

void CRecentFileList::WriteList(QSettings& settings) const {
    settings.beginGroup(m_strSection);
    settings.remove(QString());
    for (int i = 0; i < m_files.size(); ++i)
        settings.setValue(QStringLiteral("File%1").arg(i + 1), m_files.at(i));
    settings.endGroup();
    settings.sync();
}
