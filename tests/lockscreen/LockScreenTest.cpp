#include "shell/LockScreenCharset.h"
#include "shell/LockScreenModel.h"
#include "shell/LockScreenWnd.h"

#include <QFontInfo>
#include <QFontMetrics>
#include <QtTest>
#include <climits>
#include <memory>
#include <set>

namespace {

using Model = CLockScreenModel;

const QString kPause2 = QString(QChar(1)) + QStringLiteral(" 2");
const QString kPause10 = QString(QChar(1)) + QStringLiteral(" 10");

// Every character 8 pixels wide, cells of 10 x 16 pixels: an 800 x 600 client has 81 columns and 38 rows.
constexpr int kCharWidth = 8;
constexpr int kCellWidth = 10;
constexpr int kCellHeight = 16;

struct RecordedCell {
    int column, row, code, green;
};

class RecordingCanvas : public ILockRainCanvas {
public:
    void DrawCell(int column, int row, int code, int green) override { cells.push_back({column, row, code, green}); }
    std::vector<RecordedCell> cells;
};

struct ModelRig {
    explicit ModelRig(const QStringList& script, int width = 800, int height = 600, uint32_t start = 11)
        : model(start) {
        model.Start(
            width, height, kCellWidth, kCellHeight, [](const QString& text) { return int(text.size()) * kCharWidth; },
            &canvas);
        for (const QString& line : script)
            model.AddLine(line);
    }
    // Fires the ticks of the next `ms` milliseconds one by one.
    void Run(uint32_t ms) { model.Advance(ms, false); }
    // Runs tick by tick until `done` holds; false when it does not within `limit` milliseconds.
    template <typename Done> bool RunUntil(Done done, uint32_t limit = 60000) {
        for (uint32_t t = 0; t < limit; ++t) {
            if (done())
                return true;
            model.Advance(1, false);
        }
        return done();
    }
    RecordingCanvas canvas;
    Model model;
};

QStringList FourLineScript(const QString& first) {
    return {first, kPause2, QString(), kPause10};
}

int Column(const QString& text, int clientWidth = 800) {
    return ((clientWidth - int(text.size()) * kCharWidth) / 2) / kCellWidth;
}

std::unique_ptr<CLockScreenWnd> MakeWindow(QWidget& parent, const QRect& rect, uint32_t start = 5) {
    CLockScreenWnd::SetRandomStart(start);
    auto wnd = std::make_unique<CLockScreenWnd>();
    if (!wnd->Create(rect, &parent))
        return nullptr;
    wnd->AddLine(QStringLiteral("Press any key to unlock the screen..."));
    wnd->AddLine(kPause2);
    wnd->AddLine(QString());
    wnd->SetCursorMode(true, true);
    wnd->AddLine(kPause10);
    return wnd;
}

} // namespace

class LockScreenTest : public QObject {
    Q_OBJECT
private slots:
    void firstPageComesAfterFiveSecondsWithItsTimers();
    void pagesOfTheFourLineScriptCycle();
    void scriptWithoutPauseLinesIsOnePage();
    void pauseLineHoldTimes();
    void pageOfOnlyAPauseLineIsHeldEmpty();
    void charactersAreRevealedOnlyBehindTheCursor();
    void emptyLineCountsAsTypedAtOnce();
    void lineWiderThanTheWindowIsRevealedAheadOfTheCursor();
    void cursorOffAndRandomCursor();
    void rainAndSparklesStayInsideTheirGrid();
    void windowFewerThanThreeRowsHasNoRain();
    void lateClockFiresEachTimerOnce();
    void sameStartRepeatsTheAnimation();
    void characterMapping();
    void windowCellsAndFonts();
    void createPlacesTheWindowOnTop();
    void partialCompositionMatchesTheWholeFrame();
    void heldPageRecomposesOnlyWhatChanged();
};

void LockScreenTest::firstPageComesAfterFiveSecondsWithItsTimers() {
    ModelRig rig(FourLineScript(QStringLiteral("Locked")));
    Model& m = rig.model;
    QCOMPARE(m.Columns(), 81);
    QCOMPARE(m.Rows(), 38);
    QVERIFY(m.TimerRunning(Model::TimerPage));
    QCOMPARE(m.TimerInfo(Model::TimerPage).period, 5000u);
    QVERIFY(m.TimerRunning(Model::TimerRain));
    QCOMPARE(m.TimerInfo(Model::TimerRain).period, 80u);
    QVERIFY(!m.TimerRunning(Model::TimerTyping));
    QVERIFY(!m.TimerRunning(Model::TimerCursor));
    QVERIFY(!m.TimerRunning(Model::TimerHold));
    QCOMPARE(m.CursorColumn(), -1);

    rig.Run(4999);
    QVERIFY(m.TimerRunning(Model::TimerPage));
    QVERIFY(m.LinePositions().empty());
    rig.Run(1);
    QVERIFY(!m.TimerRunning(Model::TimerPage));
    QCOMPARE(m.TimerInfo(Model::TimerTyping).period, 10u);
    QVERIFY(m.TimerRunning(Model::TimerTyping));
    QCOMPARE(m.TimerInfo(Model::TimerCursor).period, 30u);
    QVERIFY(m.TimerRunning(Model::TimerCursor));
    QVERIFY(m.TimerRunning(Model::TimerRain));
    QCOMPARE(m.CursorColumn(), 0);
    QCOMPARE(m.CursorRow(), (38 - 1 - 1) / 2);

    // The cursor moves one cell per 30 ms and the rain keeps its 80 ms beat.
    rig.Run(90);
    QCOMPARE(m.CursorColumn(), 3);
}

void LockScreenTest::pagesOfTheFourLineScriptCycle() {
    const QString prompt = QStringLiteral("Press any key to unlock the screen...");
    ModelRig rig(FourLineScript(prompt));
    Model& m = rig.model;
    rig.Run(5000);
    QCOMPARE(m.PageFirstLine(), 0);
    QCOMPARE(m.PageLastLine(), 0);
    QCOMPARE(m.HoldTime(), 2);
    QCOMPARE(m.CurrentLine(), 0);
    QCOMPARE(int(m.LinePositions().size()), 1);
    QCOMPARE(m.LinePositions()[0].column, Column(prompt));
    QCOMPARE(m.LinePositions()[0].row, 18);

    // Typed once the cursor has left the window: then held for 2 seconds while the sparkles go on.
    QVERIFY(rig.RunUntil([&] { return !m.TimerRunning(Model::TimerTyping); }));
    QCOMPARE(m.PartialLine(), prompt);
    QCOMPARE(m.CursorColumn(), m.Columns());
    QVERIFY(!m.TimerRunning(Model::TimerCursor));
    QVERIFY(m.TimerRunning(Model::TimerHold));
    QCOMPARE(m.TimerInfo(Model::TimerHold).period, 10u);
    QCOMPARE(m.TimerInfo(Model::TimerPage).period, 2000u);

    rig.Run(1999);
    QCOMPARE(m.PageFirstLine(), 0);
    rig.Run(1);
    // The second page: the empty line, held 10 seconds.
    QCOMPARE(m.PageFirstLine(), 2);
    QCOMPARE(m.PageLastLine(), 2);
    QCOMPARE(m.CurrentLine(), 2);
    QCOMPARE(m.HoldTime(), 10);
    QVERIFY(m.PartialLine().isEmpty());
    QVERIFY(!m.TimerRunning(Model::TimerHold));
    QVERIFY(m.TimerRunning(Model::TimerTyping));

    rig.Run(10);
    QCOMPARE(m.TimerInfo(Model::TimerPage).period, 10000u);
    rig.Run(10000);
    // And round again from line 0.
    QCOMPARE(m.PageFirstLine(), 0);
    QCOMPARE(m.PageLastLine(), 0);
    QCOMPARE(m.HoldTime(), 2);
    QVERIFY(m.PartialLine().isEmpty());
}

void LockScreenTest::scriptWithoutPauseLinesIsOnePage() {
    ModelRig rig({QStringLiteral("one"), QStringLiteral("two words"), QStringLiteral("three")});
    Model& m = rig.model;
    rig.Run(5000);
    QCOMPARE(m.PageFirstLine(), 0);
    QCOMPARE(m.PageLastLine(), 2);
    QCOMPARE(m.HoldTime(), 5);
    const int top = (38 - 3 - 1) / 2;
    QCOMPARE(int(m.LinePositions().size()), 3);
    QCOMPARE(m.LinePositions()[0].row, top);
    QCOMPARE(m.LinePositions()[1].row, top + 1);
    QCOMPARE(m.LinePositions()[2].row, top + 2);
    QCOMPARE(m.LinePositions()[1].column, Column(QStringLiteral("two words")));

    // Lines are typed one after the other, the cursor starting again on each line's row.
    QVERIFY(rig.RunUntil([&] { return m.CurrentLine() == 1; }));
    QCOMPARE(m.CursorColumn(), 0);
    QCOMPARE(m.CursorRow(), top + 1);
    QVERIFY(m.PartialLine().isEmpty());
    QVERIFY(rig.RunUntil([&] { return m.TimerRunning(Model::TimerHold); }));
    QCOMPARE(m.CurrentLine(), 2);
    QCOMPARE(m.TimerInfo(Model::TimerPage).period, 5000u);
    rig.Run(5000);
    QCOMPARE(m.PageFirstLine(), 0);
    QCOMPARE(m.CurrentLine(), 0);
}

void LockScreenTest::pauseLineHoldTimes() {
    QCOMPARE(Model::ParseHoldTime(kPause2), 2);
    QCOMPARE(Model::ParseHoldTime(kPause10), 10);
    QCOMPARE(Model::ParseHoldTime(QString(QChar(1))), 0);
    QCOMPARE(Model::ParseHoldTime(QString(QChar(1)) + QStringLiteral("  7 seconds ")), 7);
    QCOMPARE(Model::ParseHoldTime(QString(QChar(1)) + QStringLiteral(" soon")), 0);
    // A negative or enormous number must neither stop the pages for good nor overflow the timer.
    QCOMPARE(Model::ParseHoldTime(QString(QChar(1)) + QStringLiteral(" -5")), 0);
    QCOMPARE(Model::ParseHoldTime(QString(QChar(1)) + QStringLiteral(" 99999999999999999999")), INT_MAX / 1000);
    QVERIFY(Model::IsPauseLine(kPause2));
    QVERIFY(!Model::IsPauseLine(QString()));
    QVERIFY(!Model::IsPauseLine(QStringLiteral(" \x01 2")));

    // A pause line without a number: the next page follows on the next tick.
    ModelRig rig({QStringLiteral("a"), QString(QChar(1)), QStringLiteral("b")});
    Model& m = rig.model;
    rig.Run(5000);
    QCOMPARE(m.HoldTime(), 0);
    QVERIFY(rig.RunUntil([&] { return m.TimerRunning(Model::TimerHold); }));
    rig.Run(10);
    QCOMPARE(m.PageFirstLine(), 2);
    QCOMPARE(m.PageLastLine(), 2);
    QCOMPARE(m.HoldTime(), 5);
}

void LockScreenTest::pageOfOnlyAPauseLineIsHeldEmpty() {
    // Two pause lines in a row: the second page has no line to type and is held as it is.
    ModelRig rig({QStringLiteral("a"), kPause2, QString(QChar(1)) + QStringLiteral(" 3"), QStringLiteral("b")});
    Model& m = rig.model;
    rig.Run(5000);
    QVERIFY(rig.RunUntil([&] { return m.TimerRunning(Model::TimerHold); }));
    rig.Run(2000);
    QCOMPARE(m.PageFirstLine(), 2);
    QCOMPARE(m.PageLastLine(), 1);
    QCOMPARE(m.HoldTime(), 3);
    QVERIFY(m.LinePositions().empty());
    rig.Run(10);
    QVERIFY(m.PartialLine().isEmpty());
    QVERIFY(m.TimerRunning(Model::TimerHold));
    QCOMPARE(m.TimerInfo(Model::TimerPage).period, 3000u);
    rig.Run(3000);
    QCOMPARE(m.PageFirstLine(), 3);
    QCOMPARE(m.PageLastLine(), 3);
}

void LockScreenTest::charactersAreRevealedOnlyBehindTheCursor() {
    const QString line = QStringLiteral("Typed behind the cursor");
    ModelRig rig(FourLineScript(line));
    Model& m = rig.model;
    rig.Run(5000);
    const int lineColumn = m.LinePositions()[0].column;
    int settled = 0;
    QString previous;
    while (m.TimerRunning(Model::TimerTyping)) {
        rig.Run(1);
        const QString& partial = m.PartialLine();
        QVERIFY(partial.size() <= std::max(0, m.CursorColumn() - lineColumn));
        QCOMPARE(size_t(partial.size()), m.FlipCounters().size());
        for (int i = 0; i < partial.size(); ++i) {
            QVERIFY(m.FlipCounters()[size_t(i)] <= Model::kFlipLimit);
            // A character that has come out right stays.
            if (i < previous.size() && previous.at(i) == line.at(i))
                QCOMPARE(partial.at(i), line.at(i));
        }
        previous = partial;
        settled = int(std::count_if(m.FlipCounters().begin(), m.FlipCounters().end(),
                                    [](int flips) { return flips >= Model::kFlipLimit; }));
    }
    QVERIFY(settled > 0);
    QCOMPARE(m.PartialLine(), line);
    QCOMPARE(m.CursorColumn(), m.Columns());
}

void LockScreenTest::emptyLineCountsAsTypedAtOnce() {
    ModelRig rig({QString(), kPause10});
    Model& m = rig.model;
    rig.Run(5000);
    QVERIFY(m.TimerRunning(Model::TimerTyping));
    rig.Run(10);
    QVERIFY(!m.TimerRunning(Model::TimerTyping));
    QVERIFY(m.TimerRunning(Model::TimerHold));
    QVERIFY(m.PartialLine().isEmpty());
    // The cursor still sweeps its row and stops just beyond the last column.
    QVERIFY(m.TimerRunning(Model::TimerCursor));
    QVERIFY(rig.RunUntil([&] { return !m.TimerRunning(Model::TimerCursor); }));
    QCOMPARE(m.CursorColumn(), m.Columns());
    rig.Run(1000);
    QCOMPARE(m.CursorColumn(), m.Columns());
}

void LockScreenTest::lineWiderThanTheWindowIsRevealedAheadOfTheCursor() {
    const QString line = QString(120, u'x'); // 960 pixels in an 800-pixel client
    ModelRig rig({line});
    Model& m = rig.model;
    rig.Run(5000);
    QCOMPARE(m.LinePositions()[0].column, (800 - 960) / 2 / kCellWidth);
    QVERIFY(m.LinePositions()[0].column < 0);
    rig.Run(310); // ten cursor steps, then a typing tick
    QCOMPARE(m.CursorColumn(), 10);
    QCOMPARE(m.PartialLine().size(), 10 - m.LinePositions()[0].column);
    // Its last characters lie beyond the column where the cursor stops; they still come out and
    // the page ends.
    QVERIFY(rig.RunUntil([&] { return m.TimerRunning(Model::TimerHold); }));
    QCOMPARE(m.PartialLine(), line);

    // The same with a line that fits the window in pixels but has more characters than cells remain.
    const QString fits = QString(90, u'y'); // 720 pixels, starting at column 4 of 81
    ModelRig narrow({fits, kPause2});
    narrow.Run(5000);
    QCOMPARE(narrow.model.LinePositions()[0].column, 4);
    QVERIFY(narrow.RunUntil([&] { return narrow.model.TimerRunning(Model::TimerHold); }));
    QCOMPARE(narrow.model.PartialLine(), fits);
    narrow.Run(2000);
    QCOMPARE(narrow.model.PageFirstLine(), 0);
    QVERIFY(narrow.model.PartialLine().isEmpty());
}

void LockScreenTest::cursorOffAndRandomCursor() {
    ModelRig off({QStringLiteral("no cursor")});
    off.model.SetCursorMode(false, true);
    off.Run(5000);
    QVERIFY(!off.model.TimerRunning(Model::TimerCursor));
    QCOMPARE(off.model.CursorColumn(), -1);
    // Without a cursor the whole line flips at once and settles after at most 20 flips a character.
    off.Run(10);
    QCOMPARE(off.model.PartialLine().size(), 9);
    QVERIFY(off.RunUntil([&] { return off.model.TimerRunning(Model::TimerHold); }, 300));
    QCOMPARE(off.model.PartialLine(), QStringLiteral("no cursor"));

    ModelRig random({QStringLiteral("random")});
    random.model.SetCursorMode(true, false);
    QCOMPARE(random.model.CursorCode(), Model::kRandomCursor);
    random.Run(5000);
    std::set<int> codes;
    for (int tick = 0; tick < 50; ++tick) {
        random.Run(10);
        const int code = random.model.CursorCode();
        QVERIFY(code >= 32 && code <= 255);
        codes.insert(code);
    }
    QVERIFY(codes.size() > 10);
}

void LockScreenTest::rainAndSparklesStayInsideTheirGrid() {
    ModelRig rig(FourLineScript(QStringLiteral("rain")), 800, 600, 3);
    Model& m = rig.model;
    QCOMPARE(int(m.Drops().size()), m.Columns());
    QCOMPARE(int(m.Sparkles().size()), int(m.Columns() * 0.2));
    int mostDrops = 0;
    bool sawBlankDrop = false;
    for (int step = 0; step < 3000; ++step) {
        rig.Run(10);
        int drops = 0;
        for (const Model::Drop& drop : m.Drops()) {
            if (!drop.active)
                continue;
            ++drops;
            QVERIFY(drop.headRow >= 1 && drop.headRow <= drop.endRow);
            QVERIFY(drop.endRow <= m.Rows());
            sawBlankDrop = sawBlankDrop || drop.code == 32;
        }
        QCOMPARE(drops, m.ActiveDrops());
        mostDrops = std::max(mostDrops, drops);
        int sparkles = 0;
        for (const Model::Sparkle& sparkle : m.Sparkles()) {
            if (!sparkle.active)
                continue;
            ++sparkles;
            QVERIFY(sparkle.life >= 0 && sparkle.life <= 800);
            QVERIFY(sparkle.column >= 0 && sparkle.column <= m.Columns());
            QVERIFY(sparkle.row >= 0 && sparkle.row <= m.Rows());
            QVERIFY(sparkle.code >= 32 && sparkle.code <= 255);
        }
        QCOMPARE(sparkles, m.ActiveSparkles());
    }
    QVERIFY(mostDrops > 5);
    QVERIFY(sawBlankDrop);
    QVERIFY(m.ActiveSparkles() > 0);
    for (const RecordedCell& cell : rig.canvas.cells) {
        QVERIFY(cell.column >= 0 && cell.column < m.Columns());
        QVERIFY(cell.row >= 0 && cell.row < m.Rows());
        QVERIFY(cell.code >= 32 && cell.code <= 255);
        QVERIFY(cell.green == Model::kHeadGreen || (cell.green >= 75 && cell.green <= 150));
    }
}

void LockScreenTest::windowFewerThanThreeRowsHasNoRain() {
    // 31 pixels make two rows of 16; an empty client makes one.
    for (const int height : {31, 16, 0}) {
        ModelRig rig(FourLineScript(QStringLiteral("low")), 800, height);
        QVERIFY(rig.model.Rows() < 3);
        rig.Run(12000);
        QCOMPARE(rig.model.ActiveDrops(), 0);
        QVERIFY(rig.canvas.cells.empty());
        // The pages go on.
        QCOMPARE(rig.model.PageFirstLine(), 2);
    }
    ModelRig three(FourLineScript(QStringLiteral("low")), 800, 32);
    QCOMPARE(three.model.Rows(), 3);
    three.Run(2000);
    QVERIFY(!three.canvas.cells.empty());

    QWidget parent;
    parent.resize(400, 40);
    auto wnd = MakeWindow(parent, QRect(0, 0, 400, 20));
    QVERIFY(wnd);
    QVERIFY(wnd->Model().Rows() < 3);
    wnd->AdvanceTime(12000);
    QCOMPARE(wnd->Model().ActiveDrops(), 0);
    QCOMPARE(wnd->TextLayer(), wnd->ComposeWhole());
}

void LockScreenTest::lateClockFiresEachTimerOnce() {
    // Twenty seconds late: the first page starts and the rain steps once, instead of 250 times.
    ModelRig rig(FourLineScript(QStringLiteral("late")));
    Model& m = rig.model;
    QVERIFY(m.Advance(20000, true));
    QCOMPARE(m.Now(), uint64_t(20000));
    QCOMPARE(m.PageFirstLine(), 0);
    QVERIFY(m.TimerRunning(Model::TimerTyping));
    QCOMPARE(m.ActiveDrops(), 1);
    QCOMPARE(m.CursorColumn(), 0);
    QCOMPARE(m.MillisecondsToNextTimer(), int64_t(10));
    // Nothing is due before the next tick.
    QVERIFY(!m.Advance(9, true));
    QCOMPARE(m.CursorColumn(), 0);
}

void LockScreenTest::sameStartRepeatsTheAnimation() {
    QWidget parent;
    parent.resize(640, 480);
    auto a = MakeWindow(parent, QRect(0, 0, 640, 480), 42);
    auto b = MakeWindow(parent, QRect(0, 0, 640, 480), 42);
    auto c = MakeWindow(parent, QRect(0, 0, 640, 480), 43);
    for (auto* wnd : {a.get(), b.get(), c.get()})
        wnd->AdvanceTime(7000);
    QCOMPARE(a->Model().PartialLine(), b->Model().PartialLine());
    QCOMPARE(a->RainLayer(), b->RainLayer());
    QCOMPARE(a->TextLayer(), b->TextLayer());
    QVERIFY(a->RainLayer() != c->RainLayer());
}

void LockScreenTest::characterMapping() {
    // The text layer shows Windows-1252, the rain Windows-1253 (Greek).
    QCOMPARE(LockTextChar('A'), QChar(u'A'));
    QCOMPARE(LockTextChar(0x80), QChar(0x20AC));
    QCOMPARE(LockTextChar(0xC1), QChar(0x00C1));
    QCOMPARE(LockTextChar(0xFF), QChar(0x00FF));
    QCOMPARE(LockRainChar('A'), QChar(u'A'));
    QCOMPARE(LockRainChar(0x80), QChar(0x20AC));
    QCOMPARE(LockRainChar(0xC1), QChar(0x0391));
    QCOMPARE(LockRainChar(0xF9), QChar(0x03C9));
    // Codes without a character in their code page are blanks.
    QCOMPARE(LockTextChar(0x81), QChar(u' '));
    QCOMPARE(LockRainChar(0xAA), QChar(u' '));
    QCOMPARE(LockRainChar(0xFF), QChar(u' '));

    // The characters being typed come from the Western code page.
    std::set<QChar> western;
    for (int code = 32; code < 256; ++code)
        western.insert(LockTextChar(code));
    const QString line = QStringLiteral("ΑΒΓΔ greek never appears in the flips");
    ModelRig rig({line});
    rig.model.SetCursorMode(false, true);
    rig.Run(5000);
    for (int tick = 0; tick < 15; ++tick) {
        rig.Run(10);
        for (int i = 0; i < rig.model.PartialLine().size(); ++i) {
            const QChar ch = rig.model.PartialLine().at(i);
            QVERIFY(ch == line.at(i) || western.count(ch));
        }
    }
}

void LockScreenTest::windowCellsAndFonts() {
    QWidget parent;
    parent.resize(1280, 800);
    auto wnd = MakeWindow(parent, QRect(0, 0, 1280, 800));
    QVERIFY(wnd);
    for (const QFont& font : {wnd->TextFont(), wnd->RainFont()}) {
        const QFontInfo info(font);
        QVERIFY(info.fixedPitch());
        QCOMPARE(info.pixelSize(), 14);
        QVERIFY(info.bold());
    }
    const QFontMetrics metrics(wnd->TextFont());
    const Model& m = wnd->Model();
    QCOMPARE(m.CellWidth(), metrics.averageCharWidth() + 2);
    QCOMPARE(m.CellHeight(), metrics.height());
    // A sunken two-pixel edge surrounds the client area.
    QCOMPARE(wnd->TextLayer().size(), QSize(1276, 796));
    QCOMPARE(m.Columns(), 1276 / m.CellWidth() + 1);
    QCOMPARE(m.Rows(), 796 / m.CellHeight() + 1);
    QCOMPARE(int(m.Sparkles().size()), int(m.Columns() * 0.2));

    wnd->AdvanceTime(5000);
    const QString prompt = m.Script().at(0);
    QCOMPARE(m.LinePositions()[0].column, ((1276 - metrics.horizontalAdvance(prompt)) / 2) / m.CellWidth());
}

void LockScreenTest::createPlacesTheWindowOnTop() {
    QWidget parent;
    parent.resize(500, 400);
    auto* sibling = new QWidget(&parent);
    sibling->setGeometry(0, 0, 500, 400);
    const QRect rect(0, 0, 500, 400);
    auto wnd = MakeWindow(parent, rect);
    QVERIFY(wnd);
    QCOMPARE(wnd->parentWidget(), &parent);
    QCOMPARE(wnd->geometry(), rect);
    QVERIFY(!wnd->isHidden());
    QCOMPARE(parent.children().last(), wnd.get());
    QCOMPARE(wnd->focusPolicy(), Qt::NoFocus);
    QVERIFY(!wnd->Create(rect, &parent));

    // Before the first frame the window is black.
    const QImage shot = wnd->grab().toImage();
    QCOMPARE(shot.pixelColor(250, 200), QColor(Qt::black));
}

void LockScreenTest::partialCompositionMatchesTheWholeFrame() {
    QWidget parent;
    parent.resize(700, 500);
    CLockScreenWnd::SetRandomStart(17);
    CLockScreenWnd wnd;
    QVERIFY(wnd.Create(QRect(0, 0, 700, 500), &parent));
    wnd.AddLine(QStringLiteral("A first line of the page"));
    wnd.AddLine(QStringLiteral("x"));
    wnd.AddLine(QString(QChar(1)) + QStringLiteral(" 1"));
    wnd.AddLine(QStringLiteral("The second page, wider than the first one by far"));
    wnd.SetCursorMode(true, false);

    // Through the delay, the typing, the hold and the change of page, with frames of every size.
    for (const uint32_t step : {80u, 1000u, 3920u, 10u, 30u, 500u, 1700u, 10u, 2400u, 990u, 3000u, 2000u}) {
        wnd.AdvanceTime(step);
        QCOMPARE(wnd.TextLayer(), wnd.ComposeWhole());
    }
    QVERIFY(wnd.Model().ActiveSparkles() > 0);
    // The composed picture is what the window shows inside its edge.
    const QImage shown = wnd.grab().toImage().convertToFormat(QImage::Format_RGB32);
    QCOMPARE(shown.copy(QRect(QPoint(2, 2), wnd.TextLayer().size())), wnd.TextLayer());
}

void LockScreenTest::heldPageRecomposesOnlyWhatChanged() {
    QWidget parent;
    parent.resize(1280, 800);
    auto wnd = MakeWindow(parent, QRect(0, 0, 1280, 800));
    QVERIFY(wnd);
    wnd->AdvanceTime(9000);
    QVERIFY(wnd->Model().TimerRunning(Model::TimerHold) || wnd->Model().TimerRunning(Model::TimerTyping));
    wnd->AdvanceTime(10);
    wnd->TakeComposedPixelCount();
    const qint64 window = qint64(wnd->TextLayer().width()) * wnd->TextLayer().height();
    // A 10 ms tick without rain changes at most the sparkles, the line being typed and the cursor.
    wnd->AdvanceTime(10);
    QVERIFY(wnd->TakeComposedPixelCount() < window / 20);
    // A rain step touches two cells a drop.
    wnd->AdvanceTime(80);
    const qint64 rainStep = wnd->TakeComposedPixelCount();
    QVERIFY(rainStep > 0);
    QVERIFY(rainStep < window / 4);
}

QTEST_MAIN(LockScreenTest)
#include "LockScreenTest.moc"
