#pragma once

#include <QString>
#include <QStringList>

class QSettings;

// The most recently used files, newest first, kept in the profile as "File1".."FileN".
class CRecentFileList {
public:
    CRecentFileList(QString section, int nSize);

    int GetSize() const { return static_cast<int>(m_files.size()); }
    int GetMaxSize() const { return m_nMaxSize; }
    const QString& operator[](int index) const { return m_files.at(index); }

    // Puts the path at the top; an entry of the same path moves up instead of appearing twice.
    void Add(const QString& path);
    void Remove(int index);

    void ReadList(QSettings& settings);
    void WriteList(QSettings& settings) const;

private:
    QString m_strSection;
    int m_nMaxSize;
    QStringList m_files;
};
