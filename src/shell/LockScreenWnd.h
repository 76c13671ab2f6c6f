#pragma once

#include "shell/LockScreenModel.h"

#include <QFont>
#include <QImage>
#include <QRect>
#include <QTimer>
#include <QWidget>
#include <cstdint>
#include <memory>
#include <vector>

class QPainter;

// The window that covers the main frame while the screen is locked: a short script of lines typed
// out behind a cursor over falling green characters and flickering sparkles. It takes no input of
// its own; clicks and keys reach the main frame, which unlocks.
//
// The picture is built in two layers: the rain layer keeps the falling characters and their
// trails, and the text layer is the rain with the sparkles, the page and the cursor on top. Only
// the cells that changed since the last frame are composed again and repainted.
class CLockScreenWnd : public QWidget, private ILockRainCanvas {
    Q_OBJECT
public:
    CLockScreenWnd();
    ~CLockScreenWnd() override;

    // Creates the window as a child of `parent` covering `rect` (in the parent's coordinates), shown
    // and above its siblings, and starts the animation: the first page comes after 5 seconds. False
    // when the window has already been created. Destroying the window stops everything.
    bool Create(const QRect& rect, QWidget* parent);

    // Appends a line to the script; a line starting with QChar(1) is a pause line that ends a page
    // and holds it for the number of seconds that follows.
    void AddLine(const QString& text);

    // Cursor on or off; a block cursor or one that shows a random character while typing.
    void SetCursorMode(bool on, bool block);

    // Makes the animation repeatable: windows created afterwards draw their random numbers from
    // this starting point instead of the clock.
    static void SetRandomStart(uint32_t start);

    // Read-only view of the animation state, for tests.
    const CLockScreenModel& Model() const { return m_model; }

    // Runs the animation `ms` milliseconds ahead of the clock, firing every timer tick on the way,
    // and composes the frame as the ticks would. Tests use it instead of waiting.
    void AdvanceTime(uint32_t ms);

    // The composed picture (the client area without the border).
    const QImage& TextLayer() const { return m_textLayer; }
    const QImage& RainLayer() const { return m_rainLayer; }
    const QFont& TextFont() const { return m_textFont; }
    const QFont& RainFont() const { return m_rainFont; }

    // The current frame composed from scratch: the whole rain layer with everything drawn over it.
    // Tests compare it with the text layer, which is only composed where something changed.
    QImage ComposeWhole() const;

    // Number of pixels composed again by the last frames, since the last call; the benchmark and
    // tests check that a frame touches only what changed.
    qint64 TakeComposedPixelCount();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    // One thing drawn over the rain: a sparkle, a line of the page or the cursor.
    struct Overlay {
        QRect rect;   // the cell or the line's extent, in client coordinates; it may reach outside the window
        QString text; // a single character is centred in its cell; QChar(1) fills the cell
        QRgb colour;
        bool block;
        bool operator==(const Overlay& other) const = default;
    };

    void DrawCell(int column, int row, int code, int green) override;
    void OnClockTick();
    void ScheduleClock();
    void Compose();
    void BuildOverlays(std::vector<Overlay>& out) const;
    void DrawOverlay(QPainter& painter, const Overlay& overlay) const;
    QRect CellRect(int column, int row) const;
    QPoint ClientOrigin() const;

    CLockScreenModel m_model;
    QFont m_textFont;
    QFont m_rainFont;
    QImage m_textLayer;
    QImage m_rainLayer;
    std::unique_ptr<QPainter> m_rainPainter;
    QTimer m_clock;
    uint32_t m_lastTick = 0;
    bool m_created = false;
    int m_ascent = 0;

    std::vector<QRect> m_dirty;         // client rectangles changed since the last frame
    std::vector<Overlay> m_overlays;    // what the last frame drew over the rain
    std::vector<Overlay> m_newOverlays; // kept to reuse its storage
    qint64 m_composedPixels = 0;
};
