#include "shell/LockScreenWnd.h"

#include "platform/TickCount.h"
#include "shell/LockScreenCharset.h"

#include <QFontMetrics>
#include <QPaintEvent>
#include <QPainter>
#include <QRegion>
#include <algorithm>
#include <climits>
#include <optional>
#include <random>

namespace {

// The sunken client edge around the window.
constexpr int kEdge = 2;
constexpr int kFontPixels = 14;
const QRgb kTextColour = qRgb(128, 255, 128);
const QRgb kSparkleColour = qRgb(0, 255, 0);
const QRgb kBlack = qRgb(0, 0, 0);

std::optional<uint32_t>& FixedRandomStart() {
    static std::optional<uint32_t> start;
    return start;
}

uint32_t RandomStart() {
    if (FixedRandomStart()) {
        return *FixedRandomStart();
    }
    return std::random_device{}();
}

QFont LockFont() {
    // Bold fixed-pitch text, 14 pixels high, as the lock screen has always shown it.
    QFont font(QStringLiteral("Courier"));
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    font.setPixelSize(kFontPixels);
    font.setWeight(QFont::Bold);
    return font;
}

} // namespace

CLockScreenWnd::CLockScreenWnd() : QWidget(nullptr), m_model(RandomStart()) {
    // The window paints every pixel itself from its layers; erasing first would only flicker.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
    setAutoFillBackground(false);
    setFocusPolicy(Qt::NoFocus);
    // Nothing of the desktop shows through a locked screen, the mouse pointer included.
    setCursor(Qt::BlankCursor);
    m_clock.setSingleShot(true);
    m_clock.setTimerType(Qt::PreciseTimer);
    connect(&m_clock, &QTimer::timeout, this, &CLockScreenWnd::OnClockTick);
}

CLockScreenWnd::~CLockScreenWnd() {
    m_clock.stop();
    m_rainPainter.reset();
}

void CLockScreenWnd::SetRandomStart(uint32_t start) {
    FixedRandomStart() = start;
}

bool CLockScreenWnd::Create(const QRect& rect, QWidget* parent) {
    if (m_created) {
        return false;
    }
    m_created = true;
    setParent(parent);
    setGeometry(rect);

    m_textFont = LockFont();
    m_rainFont = LockFont();

    const int clientWidth = std::max(rect.width() - 2 * kEdge, 0);
    const int clientHeight = std::max(rect.height() - 2 * kEdge, 0);
    const QFontMetrics metrics(m_textFont);
    m_ascent = metrics.ascent();
    const int cellHeight = metrics.height();
    const int cellWidth = metrics.averageCharWidth() + 2;

    // A painter needs at least one pixel; an empty window keeps a one-pixel layer it never shows.
    const QSize layerSize(std::max(clientWidth, 1), std::max(clientHeight, 1));
    m_textLayer = QImage(layerSize, QImage::Format_RGB32);
    m_textLayer.fill(kBlack);
    m_rainLayer = QImage(layerSize, QImage::Format_RGB32);
    m_rainLayer.fill(kBlack);

    m_model.Start(
        clientWidth, clientHeight, cellWidth, cellHeight,
        [metrics](const QString& text) { return metrics.horizontalAdvance(text); }, this);

    m_lastTick = platform::GetTickCount();
    ScheduleClock();
    show();
    raise();
    update();
    return true;
}

void CLockScreenWnd::AddLine(const QString& text) {
    m_model.AddLine(text);
}

void CLockScreenWnd::SetCursorMode(bool on, bool block) {
    m_model.SetCursorMode(on, block);
}

void CLockScreenWnd::AdvanceTime(uint32_t ms) {
    if (m_model.Advance(ms, false)) {
        Compose();
    }
    ScheduleClock();
}

qint64 CLockScreenWnd::TakeComposedPixelCount() {
    const qint64 count = m_composedPixels;
    m_composedPixels = 0;
    return count;
}

void CLockScreenWnd::OnClockTick() {
    const uint32_t now = platform::GetTickCount();
    const uint32_t elapsed = now - m_lastTick;
    m_lastTick = now;
    // After the program was held up, each timer fires once, as window timers do, instead of
    // catching up on every tick it missed.
    if (m_model.Advance(elapsed, true)) {
        Compose();
    }
    ScheduleClock();
}

void CLockScreenWnd::ScheduleClock() {
    const int64_t wait = m_model.MillisecondsToNextTimer();
    if (wait < 0) {
        m_clock.stop();
        return;
    }
    m_clock.start(static_cast<int>(std::min<int64_t>(wait, INT_MAX)));
}

QRect CLockScreenWnd::CellRect(int column, int row) const {
    return QRect(column * m_model.CellWidth(), row * m_model.CellHeight(), m_model.CellWidth(), m_model.CellHeight());
}

QPoint CLockScreenWnd::ClientOrigin() const {
    return QPoint(kEdge, kEdge);
}

void CLockScreenWnd::DrawCell(int column, int row, int code, int green) {
    const QRect cell = CellRect(column, row);
    if (!m_rainPainter) {
        m_rainPainter = std::make_unique<QPainter>(&m_rainLayer);
        m_rainPainter->setFont(m_rainFont);
    }
    QPainter& painter = *m_rainPainter;
    painter.setClipRect(cell);
    painter.fillRect(cell, QColor(kBlack));
    if (code != 32) {
        const QChar character = LockRainChar(code);
        const QFontMetrics metrics = painter.fontMetrics();
        painter.setPen(QColor(0, green, 0));
        painter.drawText(
            QPoint(cell.x() + (cell.width() - metrics.horizontalAdvance(character)) / 2, cell.y() + metrics.ascent()),
            QString(character));
    }
    m_dirty.push_back(cell);
}

void CLockScreenWnd::BuildOverlays(std::vector<Overlay>& out) const {
    out.clear();
    const QFontMetrics metrics(m_textFont);
    auto addText = [&](const QRect& cell, const QString& text, QRgb colour) {
        if (text.isEmpty()) {
            return;
        }
        if (text.size() == 1) {
            out.push_back({cell, text, colour, text.at(0).unicode() == CLockScreenModel::kBlockCursor});
            return;
        }
        out.push_back(
            {QRect(cell.topLeft(), QSize(metrics.horizontalAdvance(text), cell.height())), text, colour, false});
    };

    for (const CLockScreenModel::Sparkle& sparkle : m_model.Sparkles()) {
        if (sparkle.active) {
            addText(CellRect(sparkle.column, sparkle.row), QString(LockTextChar(sparkle.code)), kSparkleColour);
        }
    }

    const auto& positions = m_model.LinePositions();
    const QStringList& script = m_model.Script();
    const int first = m_model.PageFirstLine();
    const int current = m_model.CurrentLine();
    for (int line = first; line < current; ++line) {
        const size_t index = static_cast<size_t>(line - first);
        if (index < positions.size() && line < script.size()) {
            addText(CellRect(positions[index].column, positions[index].row), script.at(line), kTextColour);
        }
    }
    const size_t currentIndex = static_cast<size_t>(current - first);
    if (current >= first && currentIndex < positions.size()) {
        addText(CellRect(positions[currentIndex].column, positions[currentIndex].row), m_model.PartialLine(),
                kTextColour);
    }

    if (m_model.CursorOn()) {
        const int code = m_model.CursorCode();
        const QString cursor =
            code == CLockScreenModel::kBlockCursor ? QString(QChar(code)) : QString(LockTextChar(code));
        addText(CellRect(m_model.CursorColumn(), m_model.CursorRow()), cursor, kTextColour);
    }
}

void CLockScreenWnd::Compose() {
    m_rainPainter.reset();

    BuildOverlays(m_newOverlays);
    auto contains = [](const std::vector<Overlay>& list, const Overlay& overlay) {
        return std::find(list.begin(), list.end(), overlay) != list.end();
    };
    for (const Overlay& overlay : m_overlays) {
        if (!contains(m_newOverlays, overlay)) {
            m_dirty.push_back(overlay.rect);
        }
    }
    for (const Overlay& overlay : m_newOverlays) {
        if (!contains(m_overlays, overlay)) {
            m_dirty.push_back(overlay.rect);
        }
    }
    m_overlays.swap(m_newOverlays);

    const QRect layer(QPoint(0, 0), m_textLayer.size());
    QRegion region;
    for (const QRect& rect : m_dirty) {
        const QRect visible = rect & layer;
        if (!visible.isEmpty()) {
            region += visible;
        }
    }
    m_dirty.clear();
    if (region.isEmpty()) {
        return;
    }

    QPainter painter(&m_textLayer);
    painter.setFont(m_textFont);
    for (const QRect& rect : region) {
        // The rain under the rectangle, then everything over it in the order a whole frame draws it.
        painter.setClipRect(rect);
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.drawImage(rect.topLeft(), m_rainLayer, rect);
        painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
        for (const Overlay& overlay : m_overlays) {
            const QRect area = overlay.rect & rect;
            if (!area.isEmpty()) {
                painter.setClipRect(area);
                DrawOverlay(painter, overlay);
            }
        }
        m_composedPixels += static_cast<qint64>(rect.width()) * rect.height();
    }
    painter.end();
    update(region.translated(ClientOrigin()));
}

QImage CLockScreenWnd::ComposeWhole() const {
    QImage frame = m_rainLayer.copy();
    std::vector<Overlay> overlays;
    BuildOverlays(overlays);
    QPainter painter(&frame);
    painter.setFont(m_textFont);
    for (const Overlay& overlay : overlays) {
        painter.setClipRect(overlay.rect);
        DrawOverlay(painter, overlay);
    }
    return frame;
}

void CLockScreenWnd::DrawOverlay(QPainter& painter, const Overlay& overlay) const {
    if (overlay.block) {
        painter.fillRect(overlay.rect, QColor(overlay.colour));
        return;
    }
    painter.fillRect(overlay.rect, QColor(kBlack));
    painter.setPen(QColor(overlay.colour));
    int x = overlay.rect.x();
    if (overlay.text.size() == 1) {
        x += (overlay.rect.width() - painter.fontMetrics().horizontalAdvance(overlay.text.at(0))) / 2;
    }
    painter.drawText(QPoint(x, overlay.rect.y() + m_ascent), overlay.text);
}

void CLockScreenWnd::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    const QPoint origin = ClientOrigin();
    const QRect client(origin, QSize(std::max(width() - 2 * kEdge, 0), std::max(height() - 2 * kEdge, 0)));
    const QRect shown = QRect(origin, m_textLayer.size()) & client;
    for (const QRect& rect : event->region()) {
        const QRect area = rect & shown;
        if (!area.isEmpty()) {
            painter.drawImage(area.topLeft(), m_textLayer, area.translated(-origin));
        }
    }
    // Whatever the layers do not cover (the window grew after it was created) stays black.
    QRegion uncovered = event->region().intersected(client).subtracted(shown);
    for (const QRect& rect : uncovered) {
        painter.fillRect(rect, QColor(kBlack));
    }
    if (!event->region().subtracted(client).isEmpty()) {
        // The sunken client edge: shadow and dark shadow above and left, light and highlight below and right.
        const QRect outer = rect();
        const QPalette& pal = palette();
        painter.setPen(pal.color(QPalette::Dark));
        painter.drawLine(outer.topLeft(), outer.topRight());
        painter.drawLine(outer.topLeft(), outer.bottomLeft());
        painter.setPen(pal.color(QPalette::Light));
        painter.drawLine(outer.bottomLeft(), outer.bottomRight());
        painter.drawLine(outer.topRight(), outer.bottomRight());
        const QRect inner = outer.adjusted(1, 1, -1, -1);
        painter.setPen(pal.color(QPalette::Shadow));
        painter.drawLine(inner.topLeft(), inner.topRight());
        painter.drawLine(inner.topLeft(), inner.bottomLeft());
        painter.setPen(pal.color(QPalette::Midlight));
        painter.drawLine(inner.bottomLeft(), inner.bottomRight());
        painter.drawLine(inner.topRight(), inner.bottomRight());
    }
}
