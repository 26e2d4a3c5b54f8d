#include "platform/qt/QtWindowSystem.h"

#include "platform/qt/QtKeyMap.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QCursor>
#include <QElapsedTimer>
#include <QEvent>
#include <QEventLoop>
#include <QGuiApplication>
#include <QImage>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPixmap>
#include <QRegion>
#include <QScreen>
#include <QTimerEvent>
#include <QWheelEvent>
#include <QWidget>

#include <algorithm>
#include <cmath>

namespace bm::platform {

namespace {

const QEvent::Type kMessageEvent = static_cast<QEvent::Type>(QEvent::registerEventType());

class MessageEvent : public QEvent {
public:
    explicit MessageEvent(Message message) : QEvent(kMessageEvent), message(std::move(message)) {}
    Message message;
};

Qt::WindowFlags FlagsFor(WindowKind kind)
{
    switch (kind) {
    case WindowKind::Main:
        return Qt::Window | Qt::FramelessWindowHint;
    case WindowKind::Popup:
        return Qt::Popup | Qt::FramelessWindowHint;
    case WindowKind::Tool:
        return Qt::Tool | Qt::FramelessWindowHint;
    case WindowKind::Splash:
        return Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint;
    }
    return Qt::Window | Qt::FramelessWindowHint;
}

// Canvas pixels from widget pixels, rounding toward minus infinity.
int32_t Down(double value, int scale)
{
    return static_cast<int32_t>(std::floor(value / scale));
}

QScreen* ScreenOf(const QWidget* widget)
{
    QScreen* screen = widget ? widget->screen() : nullptr;
    return screen ? screen : QGuiApplication::primaryScreen();
}

} // namespace

// The window itself: paints the canvas and hands every input to its host.
class HostWidget : public QWidget {
public:
    HostWidget(QtWindowHost& host, QWidget* parent, Qt::WindowFlags flags) : QWidget(parent, flags), m_host(host)
    {
        setMouseTracking(true);
        setFocusPolicy(Qt::StrongFocus);
        setAttribute(Qt::WA_OpaquePaintEvent, !host.m_translucent);
        setAttribute(Qt::WA_NoSystemBackground, !host.m_translucent);
        setAttribute(Qt::WA_TranslucentBackground, host.m_translucent);
    }

protected:
    void paintEvent(QPaintEvent* event) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
        const QImage* image = m_host.Image();
        const int s = m_host.m_scale;
        if (!image || image->isNull()) {
            painter.fillRect(event->rect(), Qt::black);
            return;
        }
        // The canvas pixels behind the invalid rectangle, whole.
        const QRect dirty = event->rect();
        const QRect source = QRect(QPoint(dirty.left() / s, dirty.top() / s), QPoint(dirty.right() / s, dirty.bottom() / s))
                                 .intersected(image->rect());
        if (source.isEmpty())
            return;
        const QRect target(source.topLeft() * s, source.size() * s);
        if (m_host.m_translucent) {
            // Black is the outside colour: transparent where there is no shape.
            QImage part = image->copy(source).convertToFormat(QImage::Format_ARGB32);
            for (int y = 0; y < part.height(); ++y) {
                auto* line = reinterpret_cast<QRgb*>(part.scanLine(y));
                for (int x = 0; x < part.width(); ++x)
                    if ((line[x] & 0xFFFFFF) == 0)
                        line[x] = 0;
            }
            painter.setCompositionMode(QPainter::CompositionMode_Source);
            painter.drawImage(target, part);
            return;
        }
        painter.drawImage(target, *image, source);
    }

    void mousePressEvent(QMouseEvent* event) override { Mouse(event, event->button() == Qt::RightButton ? EventType::RightDown : EventType::LeftDown); }
    void mouseReleaseEvent(QMouseEvent* event) override { Mouse(event, event->button() == Qt::RightButton ? EventType::RightUp : EventType::LeftUp); }
    void mouseDoubleClickEvent(QMouseEvent* event) override
    {
        Mouse(event, event->button() == Qt::RightButton ? EventType::RightDown : EventType::LeftDoubleClick);
    }
    void mouseMoveEvent(QMouseEvent* event) override
    {
        WindowEvent e = At(event->position(), EventType::MouseMove);
        e.modifiers = ModifiersFromQt(event->modifiers(), event->buttons());
        m_host.Deliver(e);
    }
    void wheelEvent(QWheelEvent* event) override
    {
        m_wheel += event->angleDelta().y();
        const int steps = m_wheel / 120;
        m_wheel -= steps * 120;
        if (steps == 0)
            return;
        WindowEvent e = At(event->position(), EventType::Wheel);
        e.wheelSteps = steps;
        e.modifiers = ModifiersFromQt(event->modifiers(), event->buttons());
        m_host.Deliver(e);
    }
    void keyPressEvent(QKeyEvent* event) override { Key(event, EventType::KeyDown); }
    void keyReleaseEvent(QKeyEvent* event) override { Key(event, EventType::KeyUp); }
    void timerEvent(QTimerEvent* event) override { m_host.TimerFired(event->timerId()); }
    void closeEvent(QCloseEvent* event) override
    {
        // The window decides; a popup that the window system closes has
        // lost the focus.
        event->ignore();
        WindowEvent e;
        e.type = m_host.m_kind == WindowKind::Popup ? EventType::FocusLost : EventType::Close;
        m_host.Deliver(e);
    }
    bool focusNextPrevChild(bool) override { return false; } // Tab is a key like any other
    bool event(QEvent* event) override
    {
        if (event->type() == kMessageEvent) {
            WindowEvent e;
            e.type = EventType::Message;
            e.message = std::move(static_cast<MessageEvent*>(event)->message);
            m_host.Deliver(e);
            return true;
        }
        if (event->type() == QEvent::WindowDeactivate && !m_host.m_hiding) {
            WindowEvent e;
            e.type = EventType::FocusLost;
            m_host.Deliver(e);
        }
        return QWidget::event(event);
    }

private:
    WindowEvent At(QPointF position, EventType type) const
    {
        WindowEvent e;
        e.type = type;
        e.x = Down(position.x(), m_host.m_scale);
        e.y = Down(position.y(), m_host.m_scale);
        return e;
    }
    void Mouse(QMouseEvent* event, EventType type)
    {
        if (event->button() != Qt::LeftButton && event->button() != Qt::RightButton)
            return;
        WindowEvent e = At(event->position(), type);
        e.modifiers = ModifiersFromQt(event->modifiers(), event->buttons());
        m_host.Deliver(e);
    }
    void Key(QKeyEvent* event, EventType type)
    {
        WindowEvent e;
        e.type = type;
        e.key = VirtualKeyFromQt(event->key());
        if (e.key == 0) {
            event->ignore();
            return;
        }
        e.repeat = event->isAutoRepeat();
        e.modifiers = ModifiersFromQt(event->modifiers());
        m_host.Deliver(e);
    }

    QtWindowHost& m_host;
    int m_wheel = 0;
};

void QtWindowHost::QueuedPort::Post(Message message)
{
    std::lock_guard lock(m_mutex);
    if (m_target)
        QCoreApplication::postEvent(m_target, new MessageEvent(std::move(message)));
}

void QtWindowHost::QueuedPort::SetTarget(QWidget* target)
{
    std::lock_guard lock(m_mutex);
    m_target = target;
}

QtWindowHost::QtWindowHost(QtWindowSystem& system, WindowKind kind, QtWindowHost* owner)
    : m_system(system), m_kind(kind), m_scale(system.Scale()), m_translucent(!QtWindowSystem::ShapedWindows())
{
    m_widget = std::make_unique<HostWidget>(*this, owner ? owner->Widget() : nullptr, FlagsFor(kind));
    m_port.SetTarget(m_widget.get());
}

QtWindowHost::~QtWindowHost()
{
    m_port.SetTarget(nullptr);
    for (QEventLoop* loop : m_loops)
        loop->exit(0);
    m_sink = nullptr;
    m_widget.reset();
}

QWidget* QtWindowHost::Widget() const
{
    return m_widget.get();
}

void QtWindowHost::Deliver(const WindowEvent& event)
{
    if (m_sink)
        m_sink->OnWindowEvent(event);
}

void QtWindowHost::SetClientSize(int32_t width, int32_t height)
{
    m_widget->setFixedSize(std::max(width, 1) * m_scale, std::max(height, 1) * m_scale);
}

void QtWindowHost::AttachCanvas(const uint8_t* pixels, int32_t width, int32_t height)
{
    if (!pixels || width <= 0 || height <= 0) {
        m_image.reset();
        return;
    }
    // Wrapped, not copied: painting reads the canvas as it is then.
    m_image = std::make_unique<QImage>(pixels, width, height, static_cast<qsizetype>(width) * 3, QImage::Format_BGR888);
    m_widget->update();
}

void QtWindowHost::SetShape(std::vector<Rect> inside)
{
    if (inside.empty()) {
        m_widget->clearMask();
        return;
    }
    QRegion region;
    for (const Rect& r : inside)
        region += QRect(r.left * m_scale, r.top * m_scale, r.Width() * m_scale, r.Height() * m_scale);
    m_widget->setMask(region);
}

void QtWindowHost::SetTitle(const std::string& title)
{
    m_widget->setWindowTitle(QString::fromStdString(title));
}

void QtWindowHost::Show()
{
    m_widget->show();
}

void QtWindowHost::Hide()
{
    m_hiding = true;
    m_widget->hide();
    m_hiding = false;
}

void QtWindowHost::Minimise()
{
    m_widget->showMinimized();
}

void QtWindowHost::Restore()
{
    m_widget->showNormal();
}

void QtWindowHost::Raise()
{
    m_widget->show();
    m_widget->raise();
    m_widget->activateWindow();
    m_widget->setFocus(Qt::ActiveWindowFocusReason);
}

bool QtWindowHost::IsVisible() const
{
    return m_widget->isVisible();
}

void QtWindowHost::Move(Point screenTopLeft)
{
    m_widget->move(screenTopLeft.x * m_scale, screenTopLeft.y * m_scale);
}

Point QtWindowHost::Position() const
{
    const QPoint p = m_widget->pos();
    return {Down(p.x(), m_scale), Down(p.y(), m_scale)};
}

Point QtWindowHost::ClientToScreen(Point client) const
{
    const QPoint p = m_widget->mapToGlobal(QPoint(client.x * m_scale, client.y * m_scale));
    return {Down(p.x(), m_scale), Down(p.y(), m_scale)};
}

Point QtWindowHost::ScreenToClient(Point screen) const
{
    const QPoint p = m_widget->mapFromGlobal(QPoint(screen.x * m_scale, screen.y * m_scale));
    return {Down(p.x(), m_scale), Down(p.y(), m_scale)};
}

void QtWindowHost::CentreOnScreen()
{
    const QRect area = ScreenOf(m_widget.get())->availableGeometry();
    m_widget->move(area.center() - QPoint(m_widget->width() / 2, m_widget->height() / 2));
}

void QtWindowHost::CentreOn(const WindowHost& other)
{
    const auto* host = dynamic_cast<const QtWindowHost*>(&other);
    if (!host) {
        CentreOnScreen();
        return;
    }
    const QRect frame = host->m_widget->geometry();
    m_widget->move(frame.center() - QPoint(m_widget->width() / 2, m_widget->height() / 2));
}

void QtWindowHost::Present(const Rect& rect)
{
    if (rect.Empty())
        return;
    m_widget->update(QRect(rect.left * m_scale, rect.top * m_scale, rect.Width() * m_scale, rect.Height() * m_scale));
}

void QtWindowHost::CaptureMouse()
{
    if (m_widget->isVisible())
        m_widget->grabMouse();
}

void QtWindowHost::ReleaseMouse()
{
    m_widget->releaseMouse();
}

void QtWindowHost::SetPointerPosition(Point client)
{
    QCursor::setPos(ScreenOf(m_widget.get()), m_widget->mapToGlobal(QPoint(client.x * m_scale, client.y * m_scale)));
}

void QtWindowHost::StartTimer(uint32_t id, uint32_t periodMs)
{
    StopTimer(id);
    const int qtId = m_widget->startTimer(static_cast<int>(std::min<uint32_t>(periodMs, INT32_MAX)), Qt::PreciseTimer);
    if (qtId != 0)
        m_timers[id] = qtId;
}

void QtWindowHost::StopTimer(uint32_t id)
{
    auto it = m_timers.find(id);
    if (it == m_timers.end())
        return;
    m_widget->killTimer(it->second);
    m_timers.erase(it);
}

void QtWindowHost::TimerFired(int qtId)
{
    for (const auto& [id, running] : m_timers) {
        if (running == qtId) {
            WindowEvent e;
            e.type = EventType::Timer;
            e.timerId = id;
            Deliver(e);
            return;
        }
    }
}

bool QtWindowHost::ReadScreen(const Rect& screenRect, std::vector<uint8_t>& out)
{
    const size_t count = screenRect.Empty() ? 0 : static_cast<size_t>(screenRect.Width()) * static_cast<size_t>(screenRect.Height());
    out.resize(count * 3);
    auto backdrop = [&] {
        for (size_t i = 0; i < out.size(); i += 3) {
            out[i] = static_cast<uint8_t>(kNeutralBackdrop);
            out[i + 1] = static_cast<uint8_t>(kNeutralBackdrop >> 8);
            out[i + 2] = static_cast<uint8_t>(kNeutralBackdrop >> 16);
        }
        return false;
    };
    if (count == 0 || !QtWindowSystem::ScreenReadable())
        return backdrop();
    QScreen* screen = ScreenOf(m_widget.get());
    const QPixmap grabbed = screen->grabWindow(0, screenRect.left * m_scale, screenRect.top * m_scale,
                                               screenRect.Width() * m_scale, screenRect.Height() * m_scale);
    if (grabbed.isNull())
        return backdrop();
    // Back to canvas pixels: every scale-th device pixel.
    const QImage image = grabbed.toImage().convertToFormat(QImage::Format_RGB32);
    const double ratio = image.width() / static_cast<double>(screenRect.Width());
    size_t i = 0;
    for (int32_t y = 0; y < screenRect.Height(); ++y) {
        const int sy = std::min(image.height() - 1, static_cast<int>(y * ratio));
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(sy));
        for (int32_t x = 0; x < screenRect.Width(); ++x, i += 3) {
            const QRgb c = line[std::min(image.width() - 1, static_cast<int>(x * ratio))];
            out[i] = static_cast<uint8_t>(qBlue(c));
            out[i + 1] = static_cast<uint8_t>(qGreen(c));
            out[i + 2] = static_cast<uint8_t>(qRed(c));
        }
    }
    return true;
}

int QtWindowHost::RunModal()
{
    QEventLoop loop;
    m_loops.push_back(&loop);
    const int result = loop.exec();
    std::erase(m_loops, &loop);
    return result;
}

void QtWindowHost::EndModal(int result)
{
    if (!m_loops.empty())
        m_loops.back()->exit(result);
}

QtWindowSystem::QtWindowSystem(int scale)
{
    if (scale > 0) {
        m_scale = scale;
        return;
    }
    QScreen* screen = QGuiApplication::primaryScreen();
    m_scale = screen ? ScaleFor(screen->devicePixelRatio(), screen->geometry().height()) : 1;
}

QtWindowSystem::~QtWindowSystem() = default;

void QtWindowSystem::PrepareApplication()
{
    QGuiApplication::setHighDpiScaleFactorRoundingPolicy(Qt::HighDpiScaleFactorRoundingPolicy::Round);
}

int QtWindowSystem::ScaleFor(double devicePixelRatio, int logicalScreenHeight)
{
    return devicePixelRatio < 2.0 && logicalScreenHeight >= 2000 ? 2 : 1;
}

std::unique_ptr<WindowHost> QtWindowSystem::CreateWindow(WindowKind kind, WindowHost* owner)
{
    return std::make_unique<QtWindowHost>(*this, kind, dynamic_cast<QtWindowHost*>(owner));
}

Rect QtWindowSystem::ScreenArea() const
{
    QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        return {0, 0, 1023, 767};
    const QRect area = screen->availableGeometry();
    return {Down(area.left(), m_scale), Down(area.top(), m_scale), Down(area.right() + 1, m_scale) - 1,
            Down(area.bottom() + 1, m_scale) - 1};
}

Point QtWindowSystem::PointerPosition() const
{
    const QPoint p = QCursor::pos();
    return {Down(p.x(), m_scale), Down(p.y(), m_scale)};
}

uint32_t QtWindowSystem::KeyState() const
{
    return ModifiersFromQt(QGuiApplication::queryKeyboardModifiers());
}

int64_t QtWindowSystem::NowMs() const
{
    static QElapsedTimer clock = [] {
        QElapsedTimer started;
        started.start();
        return started;
    }();
    return clock.elapsed();
}

bool QtWindowSystem::ScreenReadable()
{
    const QString platform = QGuiApplication::platformName();
    return !(platform.startsWith("wayland") || platform == "offscreen" || platform == "minimal");
}

bool QtWindowSystem::ShapedWindows()
{
    return !QGuiApplication::platformName().startsWith("wayland");
}

} // namespace bm::platform
