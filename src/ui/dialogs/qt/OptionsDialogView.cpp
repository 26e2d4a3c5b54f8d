#include "ui/dialogs/qt/OptionsDialogView.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QStackedWidget>
#include <QVBoxLayout>

namespace bm::dialogs {

OptionsDialogView::OptionsDialogView(OptionsDialogModel& model, const QtDialogEnvironment& environment)
    : DialogView(environment.parent, environment.shell, environment.programFolder, OptionsDialogModel::kHelpPage),
      m_model(model),
      m_environment(environment)
{
    using M = OptionsDialogModel;
    setWindowTitle(Q(model.TextOf(M::Caption)));
    m_pages = new QListWidget(this);
    m_pages->setObjectName("pages");
    for (const std::string& name : model.PageNames())
        m_pages->addItem(Q(name));
    m_pages->setMaximumWidth(170);
    m_stack = new QStackedWidget(this);
    m_stack->setObjectName("stack");

    // Page 0: the display switches.
    auto* page0 = new QWidget(m_stack);
    auto* column0 = new QVBoxLayout(page0);
    for (int i = 0; i < M::SwitchCount; ++i) {
        m_switches[size_t(i)] = new QCheckBox(Q(model.TextOf(static_cast<M::Text>(M::WindowAnimationBox + i))), page0);
        m_switches[size_t(i)]->setObjectName(QString("switch%1").arg(i));
        column0->addWidget(m_switches[size_t(i)]);
        connect(m_switches[size_t(i)], &QCheckBox::toggled, this, [this, i](bool on) {
            m_model.SetSwitch(static_cast<M::Switch>(i), on);
            Refresh();
        });
    }
    column0->addStretch();
    m_stack->addWidget(page0);

    // Page 1: the temporary folder and the cache sizes.
    auto* page1 = new QWidget(m_stack);
    auto* grid1 = new QGridLayout(page1);
    m_temporaryFolder = new QLineEdit(page1);
    m_temporaryFolder->setObjectName("temporaryFolder");
    auto* browse = new QPushButton("...", page1);
    browse->setObjectName("browseTemporary");
    grid1->addWidget(new QLabel(LabelText(model.TextOf(M::TemporaryFolderLabel)), page1), 0, 0, 1, 3);
    grid1->addWidget(m_temporaryFolder, 1, 0, 1, 2);
    grid1->addWidget(browse, 1, 2);
    m_diskCache = new QLineEdit(page1);
    m_diskCache->setObjectName("diskCache");
    m_diskCache->setMaximumWidth(80);
    grid1->addWidget(new QLabel(LabelText(model.TextOf(M::DiskCacheLabel)), page1), 2, 0);
    grid1->addWidget(m_diskCache, 2, 1);
    grid1->addWidget(new QLabel(LabelText(model.TextOf(M::DiskCacheUnit)), page1), 2, 2);
    auto* flush = new QPushButton(Q(model.TextOf(M::FlushButton)), page1);
    flush->setObjectName("flush");
    grid1->addWidget(flush, 3, 1);
    m_memory = new QLineEdit(page1);
    m_memory->setObjectName("memory");
    m_memory->setMaximumWidth(80);
    grid1->addWidget(new QLabel(LabelText(model.TextOf(M::MemoryLabel)), page1), 4, 0);
    grid1->addWidget(m_memory, 4, 1);
    grid1->addWidget(new QLabel(LabelText(model.TextOf(M::MemoryUnit)), page1), 4, 2);
    grid1->setRowStretch(5, 1);
    m_stack->addWidget(page1);

    // Page 2: the sample folders.
    auto* page2 = new QWidget(m_stack);
    auto* column2 = new QVBoxLayout(page2);
    column2->addWidget(new QLabel(LabelText(model.TextOf(M::FoldersLabel)), page2));
    m_folders = new QListWidget(page2);
    m_folders->setObjectName("folders");
    column2->addWidget(m_folders);
    auto* folderButtons = new QHBoxLayout;
    auto* add = new QPushButton(Q(model.TextOf(M::AddButton)), page2);
    add->setObjectName("add");
    m_edit = new QPushButton(Q(model.TextOf(M::EditButton)), page2);
    m_edit->setObjectName("edit");
    m_remove = new QPushButton(Q(model.TextOf(M::RemoveButton)), page2);
    m_remove->setObjectName("remove");
    folderButtons->addWidget(add);
    folderButtons->addWidget(m_edit);
    folderButtons->addWidget(m_remove);
    column2->addLayout(folderButtons);
    m_stack->addWidget(page2);

    // Page 3: what happens at the start.
    auto* page3 = new QWidget(m_stack);
    auto* column3 = new QVBoxLayout(page3);
    auto* group = new QButtonGroup(page3);
    for (int i = 0; i < 3; ++i) {
        m_start[size_t(i)] = new QRadioButton(Q(model.TextOf(static_cast<M::Text>(M::NoActionChoice + i))), page3);
        m_start[size_t(i)]->setObjectName(QString("start%1").arg(i));
        group->addButton(m_start[size_t(i)], i);
        column3->addWidget(m_start[size_t(i)]);
    }
    m_splash = new QCheckBox(Q(model.TextOf(M::SplashBox)), page3);
    m_splash->setObjectName("splash");
    column3->addWidget(m_splash);
    column3->addStretch();
    m_stack->addWidget(page3);

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* ok = buttons->addButton(Q(model.TextOf(M::OkButton)), QDialogButtonBox::AcceptRole);
    ok->setObjectName("ok");
    ok->setDefault(true);
    buttons->addButton(Q(model.TextOf(M::CancelButton)), QDialogButtonBox::RejectRole)->setObjectName("cancel");
    buttons->addButton(Q(model.TextOf(M::HelpButton)), QDialogButtonBox::HelpRole)->setObjectName("help");
    auto* prev = new QPushButton(Q(model.TextOf(M::PrevButton)), this);
    prev->setObjectName("prev");
    auto* next = new QPushButton(Q(model.TextOf(M::NextButton)), this);
    next->setObjectName("next");
    auto* steps = new QHBoxLayout;
    steps->addWidget(prev);
    steps->addWidget(next);
    steps->addStretch();
    auto* body = new QHBoxLayout;
    body->addWidget(m_pages);
    body->addWidget(m_stack, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(body);
    layout->addLayout(steps);
    layout->addWidget(buttons);

    connect(m_pages, &QListWidget::currentRowChanged, this, [this](int row) {
        if (row >= 0)
            m_model.SelectPage(row);
        Refresh();
    });
    connect(prev, &QPushButton::clicked, this, [this] { m_model.PrevPage(); Refresh(); });
    connect(next, &QPushButton::clicked, this, [this] { m_model.NextPage(); Refresh(); });
    connect(m_temporaryFolder, &QLineEdit::textEdited, this,
            [this](const QString& t) { m_model.EditTemporaryFolder(S(t)); });
    connect(m_diskCache, &QLineEdit::textEdited, this, [this](const QString& t) { m_model.EditDiskCache(S(t)); });
    connect(m_memory, &QLineEdit::textEdited, this, [this](const QString& t) { m_model.EditMemory(S(t)); });
    connect(browse, &QPushButton::clicked, this, [this] {
        if (m_environment.dialogs)
            m_model.BrowseTemporaryFolder(*m_environment.dialogs);
        Refresh();
    });
    connect(flush, &QPushButton::clicked, this, [this] {
        if (m_environment.engine)
            m_model.Flush(*m_environment.engine);
    });
    connect(m_folders, &QListWidget::currentRowChanged, this, [this](int row) { m_model.SelectFolder(row); Refresh(); });
    connect(add, &QPushButton::clicked, this, [this] {
        if (m_environment.dialogs)
            m_model.AddFolder(*m_environment.dialogs);
        Refresh();
    });
    connect(m_edit, &QPushButton::clicked, this, [this] {
        if (m_environment.dialogs)
            m_model.EditFolder(*m_environment.dialogs);
        Refresh();
    });
    connect(m_remove, &QPushButton::clicked, this, [this] { m_model.RemoveFolder(); Refresh(); });
    connect(group, &QButtonGroup::idClicked, this, [this](int id) { m_model.SetStartChoice(id); Refresh(); });
    connect(m_splash, &QCheckBox::toggled, this, [this](bool on) { m_model.SetShowSplash(on); });
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(buttons, &QDialogButtonBox::helpRequested, this, &DialogView::OpenHelp);
    ShowText(m_temporaryFolder, model.TemporaryFolderText());
    ShowText(m_diskCache, model.DiskCacheText());
    ShowText(m_memory, model.MemoryText());
    Refresh();
}

void OptionsDialogView::Refresh()
{
    using M = OptionsDialogModel;
    {
        const QSignalBlocker block(m_pages);
        m_pages->setCurrentRow(m_model.Page());
    }
    m_stack->setCurrentIndex(m_model.Page());
    for (int i = 0; i < M::SwitchCount; ++i) {
        ShowCheck(m_switches[size_t(i)], m_model.SwitchOn(static_cast<M::Switch>(i)));
        m_switches[size_t(i)]->setEnabled(m_model.SwitchEnabled(static_cast<M::Switch>(i)));
    }
    ShowText(m_temporaryFolder, m_model.TemporaryFolderText());
    {
        const QSignalBlocker block(m_folders);
        const auto& folders = m_model.Folders();
        bool same = m_folders->count() == int(folders.size());
        for (int i = 0; same && i < m_folders->count(); ++i)
            same = m_folders->item(i)->text() == Q(folders[size_t(i)]);
        if (!same) {
            m_folders->clear();
            for (const std::string& folder : folders)
                m_folders->addItem(Q(folder));
        }
        m_folders->setCurrentRow(m_model.SelectedFolder());
    }
    m_edit->setEnabled(m_model.EditEnabled());
    m_remove->setEnabled(m_model.RemoveEnabled());
    for (int i = 0; i < 3; ++i) {
        const QSignalBlocker block(m_start[size_t(i)]);
        m_start[size_t(i)]->setChecked(m_model.StartChoice() == i);
    }
    ShowCheck(m_splash, m_model.ShowSplash());
}

std::optional<OptionsResult> QtOptionsDialog::Run(const app::OptionsFile& options, const std::vector<std::string>& folders)
{
    OptionsDialogModel model(options, folders,
                             LoadDialogTexts(m_environment.archive, OptionsDialogModel::kTextList,
                                             OptionsDialogModel::BuiltInTexts()));
    OptionsDialogView view(model, m_environment);
    if (view.exec() != QDialog::Accepted)
        return std::nullopt;
    return model.Result();
}

} // namespace bm::dialogs
