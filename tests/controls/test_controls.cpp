#include "controls/Controls.h"
#include "controls/IconButton.h"
#include "controls/Label.h"
#include "controls/LinkLabel.h"
#include "controls/ShadedButton.h"
#include "framework/DialogTemplate.h"
#include "framework/ShellOpen.h"
#include "res/Resources.h"
#include "res/resource.h"

#include <QImage>
#include <QPushButton>
#include <QtTest>

class TestControls : public QObject {
    Q_OBJECT

private:
    QList<QUrl> m_opened;

private slots:
    void initTestCase() {
        SetShellOpenHandler([this](const QUrl& url) {
            m_opened.push_back(url);
            return true;
        });
    }
    void init() { m_opened.clear(); }

    void linkLabelOpensItsAddress() {
        CLinkLabel link;
        link.SetUrl(QStringLiteral("https://example.org/x"));
        link.resize(200, 20);
        QCOMPARE(link.text(), QStringLiteral("https://example.org/x"));
        QCOMPARE(link.cursor().shape(), Qt::PointingHandCursor);
        QVERIFY(link.font().underline());
        QCOMPARE(link.GetTextColor(), QColor(0, 0, 255));
        QTest::mouseClick(&link, Qt::RightButton);
        QVERIFY(m_opened.isEmpty());
        QTest::mouseClick(&link, Qt::LeftButton);
        QTest::keyClick(&link, Qt::Key_Space);
        QCOMPARE(m_opened, QList<QUrl>({QUrl("https://example.org/x"), QUrl("https://example.org/x")}));
    }

    void labelTakesFaceHeightWeightAndColour() {
        CLabel label(QStringLiteral("Lockwarden Editor"));
        label.SetFontName(QStringLiteral("Times New Roman"))
            .SetFontSize(16)
            .SetFontBold(true)
            .SetTextColor(QColor(0, 0, 192));
        QCOMPARE(QFontInfo(label.font()).pixelSize(), 16);
        QVERIFY(QFontInfo(label.font()).bold());
        QCOMPARE(label.GetTextColor(), QColor(0, 0, 192));
        // The serif face is substituted by a serif, not by the default sans face.
        QCOMPARE(label.font().styleHint(), QFont::Serif);
        label.SetFontSize(12);
        QCOMPARE(QFontInfo(label.font()).pixelSize(), 12);
    }

    void shadedButtonFaceIsAGradient() {
        CShadedButton button(LoadResIcon(IDI_WEB), QStringLiteral("Lockwarden Editor on the Web..."));
        button.resize(240, 40);
        button.SetShade(QColor(255, 255, 255), QColor(0, 0, 128));
        const QImage face = button.grab().toImage();
        // Sample the right-hand edge region, clear of the icon and text.
        const QColor top = face.pixelColor(face.width() - 6, 4);
        const QColor bottom = face.pixelColor(face.width() - 6, face.height() - 5);
        QVERIFY2(top.lightness() > bottom.lightness() + 60,
                 qPrintable(QStringLiteral("%1 vs %2").arg(top.name(), bottom.name())));
        QVERIFY(bottom.blue() > bottom.red());
        int clicks = 0;
        connect(&button, &QPushButton::clicked, this, [&clicks] { ++clicks; });
        QTest::mouseClick(&button, Qt::LeftButton);
        QCOMPARE(clicks, 1);
    }

    void templatesUseTheRegisteredControls() {
        RegisterControlClasses();
        const DlgTemplate tmpl = {
            1,
            "t",
            100,
            100,
            {
                {DlgKind::PushButton, 10, "A", 0, 0, 50, 14, 0, IDI_NEW_TEXT, "tip", "IconButton"},
                {DlgKind::PushButton, 11, "B", 0, 20, 50, 14, 0, IDI_OPEN, nullptr, "ShadedButton"},
                {DlgKind::PushButton, 12, "C", 0, 40, 50, 14, 0, IDI_WEB, nullptr, "LinkButton"},
                {DlgKind::Static, 13, "D", 0, 60, 50, 8, 0, 0, nullptr, "Label"},
                {DlgKind::Static, 14, "E", 0, 70, 50, 8, 0, 0, nullptr, "LinkLabel"},
                {DlgKind::PushButton, 15, "F", 0, 80, 50, 14, 0, 0, nullptr, "NoSuchControl"},
            },
        };
        QWidget parent;
        BuildDialogControls(tmpl, &parent, nullptr);
        auto* icon = qobject_cast<CIconButton*>(FindDlgItem(&parent, 10));
        QVERIFY(icon);
        QVERIFY(!icon->icon().isNull());
        QCOMPARE(icon->toolTip(), QStringLiteral("tip"));
        QVERIFY(qobject_cast<CShadedButton*>(FindDlgItem(&parent, 11)));
        QCOMPARE(FindDlgItem(&parent, 12)->cursor().shape(), Qt::PointingHandCursor);
        QVERIFY(qobject_cast<CLabel*>(FindDlgItem(&parent, 13)));
        QVERIFY(qobject_cast<CLinkLabel*>(FindDlgItem(&parent, 14)));
        // An unknown class falls back to the plain control with the same text.
        auto* plain = qobject_cast<QPushButton*>(FindDlgItem(&parent, 15));
        QVERIFY(plain);
        QCOMPARE(plain->text(), QStringLiteral("F"));
    }

    void everyNamedIconExists() {
        for (int nID : {IDR_MAINFRAME, IDI_NEW_TEXT, IDI_OPEN, IDI_WEB, IDI_NEW_PASSWORDS, IDI_QUESTION, IDI_PASSWORD,
                        IDI_FAILED})
            QVERIFY2(!LoadResIcon(nID).pixmap(32).isNull(), qPrintable(QString::number(nID)));
        for (int nID : *FindToolBar(IDR_MAINFRAME)) {
            if (nID != 0)
                QVERIFY2(!CommandIcon(nID).pixmap(16).isNull(), qPrintable(QString::number(nID)));
        }
    }
};

QTEST_MAIN(TestControls)
#include "test_controls.moc"
