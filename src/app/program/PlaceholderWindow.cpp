#include "PlaceholderWindow.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QLabel>
#include <QMetaObject>
#include <QVBoxLayout>
#include <QWidget>

#include <cstdio>

namespace bm::app {

namespace {

constexpr const char* kNotBuilt = "Brickmelody \xE2\x80\x94 the window is not built yet";

// The top-level widget; closing it switches the program off.
class CloseWatcher : public QWidget {
public:
    explicit CloseWatcher(PlaceholderWindow& owner) : m_owner(owner) {}

protected:
    void closeEvent(QCloseEvent* event) override
    {
        event->accept();
        m_owner.PowerOff();
    }

private:
    PlaceholderWindow& m_owner;
};

} // namespace

PlaceholderWindow::PlaceholderWindow(AppContext& context, EngineWorker& engine, Display display)
    : m_context(context), m_engine(engine), m_display(display)
{
    if (m_display == Display::None)
        return;
    m_widget = std::make_unique<CloseWatcher>(*this);
    m_widget->setWindowTitle(QStringLiteral("Brickmelody"));
    auto* layout = new QVBoxLayout(m_widget.get()); // owned by the widget
    layout->addWidget(new QLabel(QString::fromUtf8(kNotBuilt)));
    const std::string& song = m_context.options.startSong;
    layout->addWidget(new QLabel(QString::fromStdString(
        song.empty() ? std::string("No start song.") : "Start song (not opened): " + song)));
    m_news = new QLabel;
    layout->addWidget(m_news);
    m_widget->resize(520, 140);
}

PlaceholderWindow::~PlaceholderWindow() = default;

void PlaceholderWindow::Run()
{
    if (m_display == Display::None) {
        Say(kNotBuilt);
        PowerOff();
        return;
    }
    m_widget->show();
    QCoreApplication::exec();
}

void PlaceholderWindow::OpenFromOtherCopy(const std::string& path)
{
    std::string line = path.empty() ? std::string("Another copy was started without a song.")
                                    : "Another copy asked to open " + path + " (opening songs is not built yet).";
    if (m_news)
        m_news->setText(QString::fromStdString(line));
    else
        Say(line);
}

void PlaceholderWindow::BringToFront()
{
    if (!m_widget)
        return;
    m_widget->showMinimized();
    m_widget->showNormal();
    m_widget->raise();
    m_widget->activateWindow();
}

void PlaceholderWindow::PowerOff()
{
    if (!m_closing)
        RunShutdownOrder(*this, m_engine);
}

void PlaceholderWindow::PostQuit()
{
    if (m_display == Display::Screen)
        QMetaObject::invokeMethod(QCoreApplication::instance(), &QCoreApplication::quit, Qt::QueuedConnection);
}

void PlaceholderWindow::Say(const std::string& line) { std::printf("%s\n", line.c_str()); }

} // namespace bm::app
