#include "QtDialogTestSupport.h"

#include "ui/skin/ResourceArchive.h"

#include "support/ArchiveImage.h"

#include <QAbstractButton>
#include <QKeyEvent>
#include <QPointer>

namespace bm::dialogs::test {

namespace {

// The application lives from the first test that needs it until the end of
// the test run, and goes before the program's static objects do.
QApplication* g_app = nullptr;

class ApplicationEnvironment : public ::testing::Environment {
public:
    void TearDown() override
    {
        delete g_app;
        g_app = nullptr;
    }
};

} // namespace

QApplication& App()
{
    if (g_app)
        return *g_app;
    // The windows are never shown on a screen; a run that names no
    // platform gets the offscreen one.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "dialogs_qt_tests";
    static char* argv[] = {name, nullptr};
    g_app = new QApplication(argc, argv);
    ::testing::AddGlobalTestEnvironment(new ApplicationEnvironment);
    return *g_app;
}

void WhenModal(std::function<void(QDialog&)> steps)
{
    App();
    auto attempt = std::make_shared<std::function<void()>>();
    *attempt = [steps, attempt] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!dialog || !dialog->isVisible()) {
            QTimer::singleShot(10, *attempt);
            return;
        }
        steps(*dialog);
        // Steps end by closing the dialog; one left open (a failed step)
        // must not hang the suite.
        QPointer<QDialog> open(dialog);
        QTimer::singleShot(5000, [open] {
            if (open && open->isVisible()) {
                ADD_FAILURE() << "the dialog was left open";
                open->done(QDialog::Rejected);
            }
        });
    };
    QTimer::singleShot(0, *attempt);
}

void TypeInto(QWidget& dialog, const char* name, const QString& text)
{
    auto* field = Child<QLineEdit>(dialog, name);
    if (!field)
        return;
    field->setFocus();
    field->selectAll();
    if (text.isEmpty())
        QTest::keyClick(field, Qt::Key_Delete);
    else
        QTest::keyClicks(field, text);
}

void Click(QWidget& dialog, const char* name)
{
    // click() rather than a mouse event at the centre: a check box that a
    // layout stretches is hit only on its indicator and label.
    auto* button = Child<QAbstractButton>(dialog, name);
    if (button && button->isEnabled())
        button->click();
}

void PressF1(QWidget& dialog)
{
    QKeyEvent press(QEvent::KeyPress, Qt::Key_F1, Qt::NoModifier);
    QApplication::sendEvent(&dialog, &press);
}

Environment::Environment(std::initializer_list<std::pair<std::string, std::string>> textLists)
{
    App();
    if (textLists.size() > 0) {
        std::vector<bm::test::ImageEntry> entries;
        for (const auto& [name, text] : textLists)
            entries.push_back({name, text});
        const std::string path = dir / "Brickmelody.wad";
        bm::test::WriteFile(path, bm::test::ArchiveImage("WADn", entries));
        archive = std::make_unique<ResourceArchive>();
        archive->Open(path, ArchiveAccess::ReadOnly);
    }
    env.archive = archive.get();
    env.dialogs = &dialogs;
    env.shell = &shell;
    env.engine = &engine;
    env.programFolder = dir.Path();
}

} // namespace bm::dialogs::test
