#include "QtProgram.h"

#include "engine/device/MemorySound.h"
#include "platform/Volume.h"
#include "platform/HttpClient.h"
#include "platform/net/CurlHttpClient.h"
#include "platform/qt/QtDialogs.h"
#include "platform/qt/QtShell.h"
#include "platform/qt/QtWindowSystem.h"
#include "ui/dialogs/EngineRecordingReadout.h"
#include "ui/dialogs/qt/QtDialogEnvironment.h"
#include "ui/main/CommandIds.h"
#include "ui/main/MainWindow.h"
#include "ui/skin/SkinPalette.h"
#include "ui/services/NewsCheck.h"
#include "ui/services/ServiceAddresses.h"

#include <QApplication>
#include <QColor>
#include <QCoreApplication>
#include <QPalette>
#include <QStyleFactory>
#include <QElapsedTimer>
#include <QImage>
#include <QThread>

namespace bm::app {

struct QtProgramWindow::Parts {
    Parts(AppContext& c, ProgramEngine& e) : context(c), engine(e) {}

    AppContext& context;
    ProgramEngine& engine;
    platform::QtWindowSystem system;
    platform::QtDialogs dialogs;
    platform::QtShell shell;
    platform::SystemVolumeQuery volumes;
    std::unique_ptr<dialogs::EngineRecordingReadout> readout;
    dialogs::DialogSet dialogSet;
    std::unique_ptr<platform::HttpClient> http;
    std::unique_ptr<platform::NetworkState> network;
    std::unique_ptr<services::NewsCheck> news;
    std::unique_ptr<ui::MainWindow> window;
    bool ready = false;
};

void ApplyProgramLook()
{
    QApplication::setStyle(QStyleFactory::create("Fusion"));
    auto colour = [](uint32_t rgb) { return QColor(int(rgb >> 16) & 0xFF, int(rgb >> 8) & 0xFF, int(rgb) & 0xFF); };
    QPalette p;
    p.setColor(QPalette::Window, colour(palette::kShell));
    p.setColor(QPalette::WindowText, colour(palette::kText));
    p.setColor(QPalette::Base, colour(palette::kWell));
    p.setColor(QPalette::AlternateBase, colour(palette::kPanel));
    p.setColor(QPalette::ToolTipBase, colour(palette::kMenuBackground));
    p.setColor(QPalette::ToolTipText, colour(palette::kText));
    p.setColor(QPalette::PlaceholderText, colour(palette::kTextFaint));
    p.setColor(QPalette::Text, colour(palette::kText));
    p.setColor(QPalette::Button, colour(palette::kShellTop));
    p.setColor(QPalette::ButtonText, colour(palette::kText));
    p.setColor(QPalette::BrightText, colour(palette::kAmber));
    p.setColor(QPalette::Light, colour(palette::kEdgeLight));
    p.setColor(QPalette::Mid, colour(palette::kBarLine));
    p.setColor(QPalette::Dark, colour(palette::kEdgeDark));
    p.setColor(QPalette::Shadow, colour(palette::kEdgeDark));
    p.setColor(QPalette::Highlight, colour(palette::kMenuHighlight));
    p.setColor(QPalette::HighlightedText, colour(palette::kMenuHighlightText));
    p.setColor(QPalette::Link, colour(palette::kAccent));
    for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        p.setColor(QPalette::Disabled, role, colour(palette::kTextFaint));
    p.setColor(QPalette::Disabled, QPalette::Base, colour(palette::kPanel));
    QApplication::setPalette(p);
}

QtProgramWindow::QtProgramWindow(AppContext& context, ProgramEngine& engine, Options options)
    : m_parts(std::make_unique<Parts>(context, engine))
{
    Parts& p = *m_parts;
    if (engine.Worker())
        p.readout = std::make_unique<dialogs::EngineRecordingReadout>(*engine.Worker());
    auto host = p.system.CreateWindow(platform::WindowKind::Main, nullptr);

    dialogs::QtDialogEnvironment environment;
    environment.archive = context.archive.get();
    environment.dialogs = &p.dialogs;
    environment.shell = &p.shell;
    environment.engine = &engine.Client();
    environment.volumes = &p.volumes;
    environment.readout = p.readout.get();
    environment.programFolder = context.programFolder;
    environment.parent = static_cast<platform::QtWindowHost&>(*host).Widget();
    p.dialogSet = dialogs::MakeQtDialogSet(environment);

    ui::MainWindowServices services(context, p.system, p.dialogs, p.shell, p.dialogSet, engine, engine, engine,
                                    engine);
    services.ticker = &engine.Ticker();
    services.attachPort = [&engine](platform::MessagePort* port) { engine.Port().Attach(port); };
    // The site is opened only when the build names one.
    const std::string site = services::SiteAddress();
    services.newsPage = services::IsUnsetAddress(site) ? std::string() : site;
    p.http = std::make_unique<platform::CurlHttpClient>();
    p.network = std::make_unique<platform::SystemNetworkState>();
    services.startNewsCheck = [&p](platform::MessagePort& port) {
        if (!p.news)
            p.news = std::make_unique<services::NewsCheck>(*p.http, *p.network, port,
                                                           services::NewsSettings{services::NewsAddress()});
        p.news->Start();
    };
    services.newsText = [&p] { return p.news ? p.news->Text() : std::string(); };
    // The splash chime on a device of its own, stopped when the splash closes.
    services.playSound = [](std::string bytes) -> std::function<void()> {
        auto sound = std::make_shared<device::MemorySound>(device::MemorySound::CanonicalSamples(bytes));
        sound->Start();
        return [sound] { sound->Stop(); };
    };
    p.window = std::make_unique<ui::MainWindow>(services, std::move(host));
    ui::MainWindowStart start;
    start.startSong = context.options.startSong;
    start.showWindow = options.showWindow;
    start.timers = options.timers;
    start.keepFiles = !options.showWindow;
    p.ready = p.window->Initialise(start);
}

QtProgramWindow::~QtProgramWindow()
{
    m_watcher.reset();
    if (m_parts->news)
        m_parts->news->Wait();
    m_parts->window.reset();
}

bool QtProgramWindow::Ready() const
{
    return m_parts->ready;
}

void QtProgramWindow::Run()
{
    if (m_parts->ready)
        m_parts->window->Run();
}

void QtProgramWindow::OpenFromOtherCopy(const std::string& path)
{
    m_parts->window->OpenFromOtherCopy(path);
}

void QtProgramWindow::BringToFront()
{
    m_parts->window->BringToFront();
}

void QtProgramWindow::EndFromOutside()
{
    m_parts->window->Controller().OnCommand(ui::cmd::kExit, ui::kExitWithoutQuestions);
}

bool QtProgramWindow::Screenshot(const std::string& path, int timeoutMs)
{
    Parts& p = *m_parts;
    QElapsedTimer clock;
    clock.start();
    // The engine has loaded the song's samples once it reports being idle
    // with nothing left to do; the window has drawn what they changed.
    while (clock.elapsed() < timeoutMs && !p.window->EngineSettled()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(5);
    }
    QCoreApplication::processEvents();
    p.window->RedrawAll();
    const Image24& canvas = p.window->Canvas();
    QImage image(canvas.pixels.data(), canvas.width, canvas.height, canvas.width * 3, QImage::Format_BGR888);
    return image.save(QString::fromStdString(path), "PNG");
}

} // namespace bm::app
