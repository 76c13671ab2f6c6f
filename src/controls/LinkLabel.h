#pragma once

#include "controls/Label.h"

#include <QUrl>

// A label that stands for an address: underlined, blue, a hand cursor over it, and a click (or Space
// when it has the focus) opens the address with the desktop. Assistive tools see it as a link.
class CLinkLabel : public CLabel {
    Q_OBJECT
public:
    explicit CLinkLabel(const QString& text = {}, QWidget* parent = nullptr);

    void SetUrl(const QString& url);
    QString GetUrl() const { return m_strUrl; }
    // Opens the address with the desktop, as a click does.
    void Open();

signals:
    void opened(const QString& url);

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QString m_strUrl;
};
