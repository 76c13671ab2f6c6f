#pragma once

#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>
#include <functional>
#include <random>
#include <vector>

// Where the rain of the lock window is drawn: one character in one cell, in (0, green, 0). Code 32
// (a blank) clears the cell.
class ILockRainCanvas {
public:
    virtual void DrawCell(int column, int row, int code, int green) = 0;

protected:
    ~ILockRainCanvas() = default;
};

// The lock window's animation without any drawing: the script and its pages, the typing with its
// flipping characters, the cursor, the rain drops and the sparkles, and the five timers that drive
// them on a clock of its own. The window feeds it elapsed time and draws what it holds.
class CLockScreenModel {
public:
    enum Timer { TimerPage = 0, TimerTyping = 1, TimerCursor = 2, TimerRain = 3, TimerHold = 4, TimerCount = 5 };

    static constexpr int kBlockCursor = 1;   // cursor character that means a solid block
    static constexpr int kRandomCursor = 97; // the random cursor's character before its first tick
    static constexpr int kFlipLimit = 20;    // flips before a typed character settles
    static constexpr int kDefaultHold = 5;   // seconds a page without a pause line stays up
    static constexpr int kFirstPageDelay = 5;
    static constexpr int kHeadGreen = 255; // drop heads and sparkles
    static constexpr int kMinRainRows = 3; // a drop needs room for its head, trail and end

    struct Drop {
        bool active = false;
        int headRow = 0;
        int endRow = 0;
        int code = 32;
    };
    struct Sparkle {
        bool active = false;
        int life = 0;
        int column = 0;
        int row = 0;
        int code = 32;
    };
    struct LinePosition {
        int column = 0;
        int row = 0;
    };
    struct TimerState {
        bool active = false;
        uint32_t period = 0; // milliseconds
        uint64_t due = 0;    // on the model's own clock
    };

    // Measures a line as the text layer draws it, in pixels.
    using TextWidth = std::function<int(const QString&)>;

    explicit CLockScreenModel(uint32_t randomStart = 1);

    // Sizes the grid from the client area and the text font's cells, allocates the drops and the
    // sparkles and starts the first-page delay and the rain.
    void Start(int clientWidth, int clientHeight, int cellWidth, int cellHeight, TextWidth textWidth,
               ILockRainCanvas* canvas);

    void AddLine(const QString& text);
    void SetCursorMode(bool on, bool block);

    // Moves the clock `ms` ahead and fires every timer that falls due on the way, in order of time.
    // With `coalesce`, a timer that is more than one period behind fires once and resumes from
    // now, as window timers do after the program was held up; otherwise every tick is fired.
    // Returns true when a timer that composes a frame fired.
    bool Advance(uint32_t ms, bool coalesce);

    // Milliseconds until the next timer falls due, or -1 when none runs.
    int64_t MillisecondsToNextTimer() const;

    // Runs one timer's work at once; true when a frame should be composed afterwards.
    bool FireTimer(Timer timer);

    // A random character of the animation: code 32 to 255.
    int RandomCode();

    // The state, read-only.
    const QStringList& Script() const { return m_script; }
    int PageFirstLine() const { return m_nPageFirst; }
    int PageLastLine() const { return m_nPageLast; }
    int CurrentLine() const { return m_nCurrentLine; }
    int HoldTime() const { return m_nHoldTime; }
    bool CursorOn() const { return m_bCursorOn; }
    int CursorCode() const { return m_nCursorCode; }
    int CursorColumn() const { return m_nCursorColumn; }
    int CursorRow() const { return m_nCursorRow; }
    const QString& PartialLine() const { return m_strPartial; }
    const std::vector<int>& FlipCounters() const { return m_flips; }
    const std::vector<LinePosition>& LinePositions() const { return m_linePositions; }
    int Columns() const { return m_nColumns; }
    int Rows() const { return m_nRows; }
    int CellWidth() const { return m_nCellWidth; }
    int CellHeight() const { return m_nCellHeight; }
    const std::vector<Drop>& Drops() const { return m_drops; }
    int ActiveDrops() const { return m_nActiveDrops; }
    const std::vector<Sparkle>& Sparkles() const { return m_sparkles; }
    int ActiveSparkles() const { return m_nActiveSparkles; }
    const TimerState& TimerInfo(Timer timer) const { return m_timers[timer]; }
    bool TimerRunning(Timer timer) const { return m_timers[timer].active; }
    uint64_t Now() const { return m_now; }

    // The hold time a pause line asks for: the number after its code-1 character, 0 when there is
    // none, never negative.
    static int ParseHoldTime(const QString& pauseLine);
    static bool IsPauseLine(const QString& line);

private:
    int Rand();
    void StartTimer(Timer timer, uint32_t ms);
    void StopTimer(Timer timer);
    void NextPage();
    void StartCursor();
    void TypingStep();
    void CursorStep();
    void RainStep();
    void SparkleStep();
    void InitDrop(Drop& drop);
    void DrawHead(int column, Drop& drop);
    void DrawTrail(int column, const Drop& drop);
    bool RainPossible() const { return m_nRows >= kMinRainRows; }

    std::minstd_rand m_random;
    ILockRainCanvas* m_pCanvas = nullptr;
    TextWidth m_textWidth;

    QStringList m_script;
    int m_nPageFirst = 0;
    int m_nPageLast = 0;
    int m_nCurrentLine = 0;
    int m_nHoldTime = kDefaultHold;
    bool m_bCursorOn = true;
    int m_nCursorCode = kBlockCursor;
    int m_nCursorColumn = -1;
    int m_nCursorRow = -1;
    QString m_strPartial;
    std::vector<int> m_flips;
    std::vector<LinePosition> m_linePositions;

    int m_nClientWidth = 0;
    int m_nCellWidth = 1;
    int m_nCellHeight = 1;
    int m_nColumns = 0;
    int m_nRows = 0;
    std::vector<Drop> m_drops;
    int m_nActiveDrops = 0;
    std::vector<Sparkle> m_sparkles;
    int m_nActiveSparkles = 0;

    std::array<TimerState, TimerCount> m_timers{};
    uint64_t m_now = 0;
};
