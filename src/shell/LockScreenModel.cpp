#include "shell/LockScreenModel.h"

#include "shell/LockScreenCharset.h"

#include <algorithm>
#include <climits>

namespace {

constexpr uint32_t kTypingPeriod = 10;
constexpr uint32_t kCursorPeriod = 30;
constexpr uint32_t kRainPeriod = 80;
constexpr uint32_t kHoldSparklePeriod = 10;
// Window timers never run faster than this; a page held for 0 seconds therefore changes on the next tick.
constexpr uint32_t kShortestPeriod = 10;
// The longest hold whose milliseconds still fit a timer period.
constexpr int kLongestHold = INT_MAX / 1000;

} // namespace

CLockScreenModel::CLockScreenModel(uint32_t randomStart) : m_random(randomStart) {}

void CLockScreenModel::Start(int clientWidth, int clientHeight, int cellWidth, int cellHeight, TextWidth textWidth,
                             ILockRainCanvas* canvas) {
    m_pCanvas = canvas;
    m_textWidth = std::move(textWidth);
    m_nClientWidth = std::max(clientWidth, 0);
    m_nCellWidth = std::max(cellWidth, 1);
    m_nCellHeight = std::max(cellHeight, 1);
    m_nColumns = m_nClientWidth / m_nCellWidth + 1;
    m_nRows = std::max(clientHeight, 0) / m_nCellHeight + 1;

    m_drops.assign(static_cast<size_t>(m_nColumns), Drop{});
    m_nActiveDrops = 0;
    m_sparkles.assign(static_cast<size_t>(m_nColumns * 0.2), Sparkle{});
    m_nActiveSparkles = 0;

    StartTimer(TimerPage, kFirstPageDelay * 1000);
    StartTimer(TimerRain, kRainPeriod);
}

void CLockScreenModel::AddLine(const QString& text) {
    m_script.append(text);
    // Before the first page this makes the page cycle begin at line 0.
    m_nPageLast = static_cast<int>(m_script.size());
}

void CLockScreenModel::SetCursorMode(bool on, bool block) {
    m_bCursorOn = on;
    m_nCursorCode = block ? kBlockCursor : kRandomCursor;
}

int CLockScreenModel::Rand() {
    // Same range as the C library's rand(): 0 to 2^31 - 2.
    return static_cast<int>(m_random() - std::minstd_rand::min());
}

int CLockScreenModel::RandomCode() {
    return Rand() % 224 + 32;
}

bool CLockScreenModel::IsPauseLine(const QString& line) {
    return !line.isEmpty() && line.at(0).unicode() == 1;
}

int CLockScreenModel::ParseHoldTime(const QString& pauseLine) {
    const QString rest = pauseLine.mid(1).trimmed();
    qsizetype i = 0;
    bool negative = false;
    if (i < rest.size() && (rest.at(i) == u'+' || rest.at(i) == u'-')) {
        negative = rest.at(i) == u'-';
        ++i;
    }
    long long value = 0;
    for (; i < rest.size() && rest.at(i) >= u'0' && rest.at(i) <= u'9'; ++i) {
        value = std::min<long long>(value * 10 + (rest.at(i).unicode() - u'0'), kLongestHold);
    }
    // A negative hold would stop the page cycle for good; it is read as no hold at all.
    return negative ? 0 : static_cast<int>(value);
}

void CLockScreenModel::StartTimer(Timer timer, uint32_t ms) {
    TimerState& state = m_timers[timer];
    state.active = true;
    state.period = std::max(ms, kShortestPeriod);
    state.due = m_now + state.period;
}

void CLockScreenModel::StopTimer(Timer timer) {
    m_timers[timer].active = false;
}

bool CLockScreenModel::Advance(uint32_t ms, bool coalesce) {
    const uint64_t target = m_now + ms;
    if (coalesce) {
        m_now = target;
    }
    bool compose = false;
    for (;;) {
        int next = -1;
        for (int t = 0; t < TimerCount; ++t) {
            const TimerState& state = m_timers[t];
            if (state.active && state.due <= target && (next < 0 || state.due < m_timers[next].due)) {
                next = t;
            }
        }
        if (next < 0) {
            break;
        }
        TimerState& state = m_timers[next];
        if (coalesce) {
            state.due = target + state.period;
        } else {
            m_now = state.due;
            state.due += state.period;
        }
        compose = FireTimer(static_cast<Timer>(next)) || compose;
    }
    m_now = target;
    return compose;
}

int64_t CLockScreenModel::MillisecondsToNextTimer() const {
    int64_t best = -1;
    for (const TimerState& state : m_timers) {
        if (state.active) {
            const int64_t wait = state.due > m_now ? static_cast<int64_t>(state.due - m_now) : 0;
            best = best < 0 ? wait : std::min(best, wait);
        }
    }
    return best;
}

bool CLockScreenModel::FireTimer(Timer timer) {
    switch (timer) {
    case TimerPage:
        NextPage();
        return false;
    case TimerTyping:
        SparkleStep();
        TypingStep();
        return true;
    case TimerCursor:
        CursorStep();
        return true;
    case TimerRain:
        RainStep();
        return true;
    case TimerHold:
        SparkleStep();
        return true;
    case TimerCount:
        break;
    }
    return false;
}

void CLockScreenModel::NextPage() {
    const int count = static_cast<int>(m_script.size());
    if (count == 0) {
        return;
    }
    // The previous page's last text line is followed by its pause line; the next page starts after that.
    int first = m_nPageLast + 2;
    if (first < 0 || first >= count) {
        first = 0;
    }
    m_nPageFirst = first;
    m_nCurrentLine = first;

    m_nPageLast = count - 1;
    m_nHoldTime = kDefaultHold;
    for (int line = first; line < count; ++line) {
        if (IsPauseLine(m_script.at(line))) {
            m_nHoldTime = ParseHoldTime(m_script.at(line));
            m_nPageLast = line - 1;
            break;
        }
    }

    const int lines = m_nPageLast - first + 1;
    const int topRow = (m_nRows - lines - 1) / 2;
    m_linePositions.clear();
    for (int i = 0; i < lines; ++i) {
        const int width = m_textWidth ? m_textWidth(m_script.at(first + i)) : 0;
        m_linePositions.push_back({((m_nClientWidth - width) / 2) / m_nCellWidth, topRow + i});
    }

    m_strPartial.clear();
    m_flips.clear();
    StopTimer(TimerPage);
    StopTimer(TimerHold);
    StartTimer(TimerTyping, kTypingPeriod);
    StartCursor();
}

void CLockScreenModel::StartCursor() {
    // A page made only of its pause line has no line for the cursor to run along.
    if (m_bCursorOn && m_nCurrentLine >= m_nPageFirst && m_nCurrentLine <= m_nPageLast) {
        m_nCursorColumn = 0;
        m_nCursorRow = m_linePositions[static_cast<size_t>(m_nCurrentLine - m_nPageFirst)].row;
        StartTimer(TimerCursor, kCursorPeriod);
    }
}

void CLockScreenModel::TypingStep() {
    if (m_bCursorOn && m_nCursorCode != kBlockCursor) {
        m_nCursorCode = RandomCode();
    }

    if (m_nCurrentLine >= m_nPageFirst && m_nCurrentLine <= m_nPageLast) {
        const QString& target = m_script.at(m_nCurrentLine);
        const int lineColumn = m_linePositions[static_cast<size_t>(m_nCurrentLine - m_nPageFirst)].column;
        bool complete = true;
        for (int i = 0; i < target.size(); ++i) {
            // Characters come out only behind the cursor. Cells are wider than characters, so a long
            // line can have more characters than the cursor has cells to pass; once the cursor has
            // left the window the rest of the line comes out too, or the page would never end.
            if (m_bCursorOn && m_nCursorColumn < m_nColumns && i >= m_nCursorColumn - lineColumn) {
                complete = false;
                break;
            }
            if (i < m_strPartial.size()) {
                if (m_flips[static_cast<size_t>(i)] >= kFlipLimit) {
                    m_strPartial[i] = target.at(i);
                } else if (m_strPartial.at(i) != target.at(i)) {
                    m_strPartial[i] = LockTextChar(RandomCode());
                    ++m_flips[static_cast<size_t>(i)];
                    complete = false;
                }
            } else {
                m_strPartial.append(LockTextChar(RandomCode()));
                m_flips.push_back(0);
                complete = false;
            }
        }
        // A line counts as typed only once the cursor has left the window.
        if (m_bCursorOn && !target.isEmpty() && m_nCursorColumn < m_nColumns) {
            return;
        }
        if (!complete) {
            return;
        }
    }

    if (m_nCurrentLine >= m_nPageLast) {
        StopTimer(TimerTyping);
        StartTimer(TimerPage, static_cast<uint32_t>(m_nHoldTime) * 1000);
        StartTimer(TimerHold, kHoldSparklePeriod);
        return;
    }
    ++m_nCurrentLine;
    m_strPartial.clear();
    m_flips.clear();
    StartCursor();
}

void CLockScreenModel::CursorStep() {
    ++m_nCursorColumn;
    if (m_nCursorColumn >= m_nColumns) {
        StopTimer(TimerCursor);
    }
}

void CLockScreenModel::RainStep() {
    // A drop needs rows for its head, its trail and its end; a window lower than that has no rain.
    if (!RainPossible()) {
        return;
    }
    if (m_nActiveDrops < m_nColumns) {
        int column = Rand() % m_nColumns;
        for (int picks = 1; m_drops[static_cast<size_t>(column)].active && picks < m_nColumns + 1; ++picks) {
            column = Rand() % m_nColumns;
        }
        Drop& drop = m_drops[static_cast<size_t>(column)];
        if (!drop.active) {
            InitDrop(drop);
            drop.active = true;
            DrawHead(column, drop);
            ++drop.headRow;
            ++m_nActiveDrops;
        }
    }
    for (int column = 0; column < m_nColumns; ++column) {
        Drop& drop = m_drops[static_cast<size_t>(column)];
        if (!drop.active) {
            continue;
        }
        if (drop.headRow >= drop.endRow) {
            DrawTrail(column, drop);
            drop.active = false;
            --m_nActiveDrops;
        } else {
            DrawTrail(column, drop);
            DrawHead(column, drop);
            ++drop.headRow;
        }
    }
}

void CLockScreenModel::InitDrop(Drop& drop) {
    drop.headRow = 0;
    if (Rand() % 2 == 0) {
        drop.headRow = Rand() % (m_nRows - 2);
    }
    drop.endRow = m_nRows;
    if (Rand() % 2 == 0) {
        drop.endRow = std::min(Rand() % (m_nRows - drop.headRow - 2) + drop.headRow + 3, m_nRows);
    }
    drop.code = Rand() % 5 == 0 ? 32 : RandomCode();
}

void CLockScreenModel::DrawHead(int column, Drop& drop) {
    // A blank drop stays blank and wipes its column as it falls.
    if (drop.code != 32) {
        drop.code = RandomCode();
    }
    if (m_pCanvas) {
        m_pCanvas->DrawCell(column, drop.headRow, drop.code, kHeadGreen);
    }
}

void CLockScreenModel::DrawTrail(int column, const Drop& drop) {
    const int green = Rand() % 76 + 75;
    if (m_pCanvas) {
        m_pCanvas->DrawCell(column, drop.headRow - 1, drop.code, green);
    }
}

void CLockScreenModel::SparkleStep() {
    const int count = static_cast<int>(m_sparkles.size());
    if (m_nActiveSparkles < count && Rand() % 101 == 0) {
        int slot = Rand() % count;
        for (int picks = 1; m_sparkles[static_cast<size_t>(slot)].active && picks < count + 1; ++picks) {
            slot = Rand() % count;
        }
        Sparkle& sparkle = m_sparkles[static_cast<size_t>(slot)];
        if (!sparkle.active) {
            sparkle.active = true;
            sparkle.life = Rand() % 501 + 300;
            sparkle.column = Rand() % (m_nColumns + 1);
            sparkle.row = Rand() % (m_nRows + 1);
            ++m_nActiveSparkles;
        }
    }
    for (Sparkle& sparkle : m_sparkles) {
        if (!sparkle.active) {
            continue;
        }
        if (sparkle.life < 1) {
            sparkle.active = false;
            --m_nActiveSparkles;
        } else {
            sparkle.code = RandomCode();
            --sparkle.life;
        }
    }
}
