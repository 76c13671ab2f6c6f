#include "../framework/FrameworkFixtures.h"
#include "common/GuiTestEnv.h"

#include "framework/DialogTemplate.h"
#include "res/resource.h"
#include "textdoc/CommandMenu.h"
#include "textdoc/EditEx.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QFontInfo>
#include <QImage>
#include <QMenu>
#include <QStandardPaths>
#include <QTimer>
#include <QtTest>
#include <memory>

namespace {

// An item as the menu shows it: its name, then its key after a tab.
QString ShownText(const QAction* action) {
    return action->shortcut().isEmpty() ? action->text()
                                        : action->text() + QLatin1Char('\t') + action->shortcut().toString();
}

struct MenuShape {
    QStringList texts;
    QList<int> ids;
};

MenuShape ShapeOf(QMenu* menu) {
    MenuShape shape;
    for (QAction* action : menu->actions()) {
        shape.texts << (action->isSeparator() ? QStringLiteral("-") : ShownText(action));
        shape.ids << textdoc::CommandId(action);
    }
    return shape;
}

int UrlCommand(CEditEx& edit) {
    std::unique_ptr<QMenu> menu(edit.BuildContextMenu());
    return textdoc::CommandId(menu->actions().last());
}

} // namespace

class TestEditEx : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<RecordingApp> m_app;
    RecordingFrame* m_frame = nullptr;
    GuiTestEnv m_env;

private slots:
    void initTestCase() {
        m_env.Begin(false);
        m_app = std::make_unique<RecordingApp>();
        m_frame = new RecordingFrame;
        m_app->m_pMainWnd = m_frame;
        // The active form's commands; 119, 120 and 123 are nobody's.
        for (int nID :
             {ID_EDIT_UNDO, ID_EDIT_CUT, ID_EDIT_COPY, ID_EDIT_PASTE, ID_EDIT_CLEAR, ID_EDIT_SELECT_ALL, ID_GO_TO_URL})
            m_frame->Handle(nID);
    }

    void cleanupTestCase() {
        m_app->m_pMainWnd = nullptr;
        delete m_frame;
        m_app.reset();
    }

    void init() { CommandLog().clear(); }

    void emptyFieldMenu() {
        CEditEx edit;
        std::unique_ptr<QMenu> menu(edit.BuildContextMenu());
        const MenuShape shape = ShapeOf(menu.get());
        QCOMPARE(shape.texts,
                 (QStringList{"&Undo\tCtrl+Z", "-", "Cu&t\tCtrl+X", "&Copy\tCtrl+C", "&Paste\tCtrl+V", "&Delete\tDel",
                              "-", "Select A&ll\tCtrl+A", "-", "Go to the URL...\tCtrl+G"}));
        QCOMPARE(shape.ids, (QList<int>{57643, 0, 57635, 57634, 57637, 120, 0, 123, 0, 119}));

        textdoc::UpdateCommandMenu(menu.get(), nullptr);
        QList<bool> enabled;
        for (QAction* action : menu->actions()) {
            if (!action->isSeparator())
                enabled << action->isEnabled();
        }
        QCOMPARE(enabled, (QList<bool>{true, true, true, true, false, false, false}));
    }

    void fieldWithTextMenu() {
        CEditEx edit;
        edit.setText(QStringLiteral("plain words"));
        edit.deselect();
        std::unique_ptr<QMenu> menu(edit.BuildContextMenu());
        QCOMPARE(ShapeOf(menu.get()).ids, (QList<int>{57643, 0, 57635, 57634, 57637, 120, 0, 57642, 0, 119}));
        textdoc::UpdateCommandMenu(menu.get(), nullptr);
        QVERIFY(!menu->actions()[5]->isEnabled());
        QVERIFY(menu->actions()[7]->isEnabled());

        edit.setSelection(0, 5);
        menu.reset(edit.BuildContextMenu());
        QCOMPARE(textdoc::CommandId(menu->actions()[5]), ID_EDIT_CLEAR);
    }

    void urlRule_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("command");
        QTest::newRow("http prefix alone") << QStringLiteral("http://") << 119;
        QTest::newRow("one character more") << QStringLiteral("http://x") << 32777;
        QTest::newRow("https prefix alone") << QStringLiteral("https://") << 119;
        QTest::newRow("https one more") << QStringLiteral("https://x") << 32777;
        QTest::newRow("capitals") << QStringLiteral("HTTP://example.com") << 32777;
        QTest::newRow("after a word") << QStringLiteral("see http://example.com") << 119;
        QTest::newRow("www") << QStringLiteral("www.example.com") << 32777;
        QTest::newRow("local file") << QStringLiteral("file:///etc/passwd") << 119;
        QTest::newRow("past 255 characters") << QString(250, QLatin1Char('a')) + QStringLiteral("http://x") << 119;
    }

    void urlRule() {
        QFETCH(QString, text);
        QFETCH(int, command);
        CEditEx edit;
        edit.setText(text);
        QCOMPARE(UrlCommand(edit), command);
    }

    void menuCommandTravelsTheRoute() {
        CEditEx edit;
        edit.setText(QStringLiteral("https://example.com"));
        edit.show();
        QVERIFY(QTest::qWaitForWindowExposed(&edit));
        bool urlEnabled = false;
        QTimer::singleShot(0, this, [&urlEnabled] {
            auto* popup = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            if (!popup)
                return;
            QAction* url = popup->actions().last();
            urlEnabled = url->isEnabled();
            popup->setActiveAction(url);
            QTest::keyClick(popup, Qt::Key_Return);
        });
        QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(3, 3), edit.mapToGlobal(QPoint(3, 3)));
        QApplication::sendEvent(&edit, &event);
        QVERIFY(urlEnabled);
        QCOMPARE(CommandLog(), QStringList{QStringLiteral("frame:32777")});
    }

    void coloursRepaintAtOnce() {
        CEditEx edit;
        edit.resize(120, 24);
        const QColor oldBack = edit.GetBackColor();
        QCOMPARE(oldBack, QApplication::palette().color(QPalette::Base));
        QCOMPARE(edit.SetBackColor(QColor(255, 255, 192)), oldBack);
        QCOMPARE(edit.GetBackBrush().color(), QColor(255, 255, 192));
        const QImage face = edit.grab().toImage();
        QCOMPARE(face.pixelColor(face.width() / 2, face.height() / 2), QColor(255, 255, 192));

        const QColor oldText = edit.SetForeColor(QColor(0, 0, 128));
        QCOMPARE(oldText, QApplication::palette().color(QPalette::Text));
        QCOMPARE(edit.palette().color(QPalette::Text), QColor(0, 0, 128));
        QCOMPARE(edit.SetForeColor(Qt::red), QColor(0, 0, 128));
    }

    void fontIsNeverBold() {
        CEditEx edit;
        edit.ApplyFont(-16, 700, 0x31, QStringLiteral("Courier New"));
        QCOMPARE(edit.font().pixelSize(), 16);
        QCOMPARE(edit.font().weight(), QFont::Normal);
        QVERIFY(QFontInfo(edit.font()).fixedPitch());
        edit.ApplyFont(20, 400, 0x22, QStringLiteral("Arial"));
        QVERIFY(QFontMetrics(edit.font()).height() <= 20);
    }

    void templatesBuildTheField() {
        CEditEx::RegisterControlClass();
        const DlgTemplate form{
            900, "form", 100, 40, {{DlgKind::Edit, 1201, "", 5, 5, 90, 12, 0, 0, nullptr, "EditEx"}}};
        QWidget host;
        BuildDialogControls(form, &host, nullptr);
        QVERIFY(qobject_cast<CEditEx*>(FindDlgItem(&host, 1201)));
    }
};

QTEST_MAIN(TestEditEx)
#include "test_edit_ex.moc"
