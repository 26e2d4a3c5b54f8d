#include "ui/dialogs/qt/RecordDialogView.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QStyle>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

namespace bm::dialogs {

namespace {

// The engine's values when no engine is given: silence.
class SilentReadout : public RecordingReadout {
public:
    int32_t InputLeft() const override { return 0; }
    int32_t InputRight() const override { return 0; }
    uint32_t RecordedBytes() const override { return 0; }
    double FreeSpace() const override { return 0; }
};

} // namespace

LevelMeter::LevelMeter(QWidget* parent) : QProgressBar(parent)
{
    setRange(0, 900);
    setValue(0);
    setTextVisible(false);
    setMinimumWidth(240);
}

void LevelMeter::SetPeak(int value)
{
    if (value == m_peak)
        return;
    m_peak = value;
    update();
}

void LevelMeter::paintEvent(QPaintEvent* event)
{
    QProgressBar::paintEvent(event);
    if (maximum() <= minimum())
        return;
    QPainter painter(this);
    const int x = (width() - 1) * (m_peak - minimum()) / (maximum() - minimum());
    painter.fillRect(QRect(std::max(0, x - 1), 0, 2, height()), palette().color(QPalette::Highlight).darker(160));
}

QIcon RecordDialogView::RecordIcon()
{
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(QColor(0xD0, 0x20, 0x20));
    painter.setPen(Qt::NoPen);
    painter.drawEllipse(QRectF(2, 2, 12, 12));
    return QIcon(pixmap);
}

QIcon RecordDialogView::StopIcon() { return QApplication::style()->standardIcon(QStyle::SP_MediaStop); }
QIcon RecordDialogView::PlayIcon() { return QApplication::style()->standardIcon(QStyle::SP_MediaPlay); }
QIcon RecordDialogView::ListenIcon() { return QApplication::style()->standardIcon(QStyle::SP_MediaVolume); }

RecordDialogView::RecordDialogView(RecordDialogModel& model, const QtDialogEnvironment& environment)
    : DialogView(environment.parent, environment.shell, environment.programFolder, RecordDialogModel::kHelpPage),
      m_model(model)
{
    using M = RecordDialogModel;
    setWindowTitle(Q(model.TextOf(M::Caption)));
    auto makeButton = [this](const char* name, const QIcon& icon) {
        auto* button = new QToolButton(this);
        button->setObjectName(name);
        button->setIcon(icon);
        button->setIconSize(QSize(24, 24));
        return button;
    };
    m_record = makeButton("record", RecordIcon());
    m_play = makeButton("play", PlayIcon());
    m_listen = makeButton("listen", ListenIcon());
    auto* transport = new QHBoxLayout;
    transport->addWidget(m_record);
    transport->addWidget(m_play);
    transport->addWidget(m_listen);
    transport->addStretch();

    auto* grid = new QGridLayout;
    grid->addWidget(new QLabel(LabelText(model.TextOf(M::LevelLabel)), this), 0, 0);
    grid->addWidget(new QLabel(LabelText(model.TextOf(M::PeakLabel)), this), 0, 2);
    grid->addWidget(new QLabel(LabelText(model.TextOf(M::OffsetLabel)), this), 0, 3);
    for (int c = 0; c < 2; ++c) {
        grid->addWidget(new QLabel(c == 0 ? "L" : "R", this), c + 1, 0);
        m_meters[size_t(c)] = new LevelMeter(this);
        m_meters[size_t(c)]->setObjectName(QString("meter%1").arg(c));
        grid->addWidget(m_meters[size_t(c)], c + 1, 1);
        m_peaks[size_t(c)] = new QLabel(this);
        m_peaks[size_t(c)]->setObjectName(QString("peak%1").arg(c));
        m_peaks[size_t(c)]->setMinimumWidth(50);
        grid->addWidget(m_peaks[size_t(c)], c + 1, 2);
        m_offsets[size_t(c)] = new QLineEdit(this);
        m_offsets[size_t(c)]->setObjectName(QString("offset%1").arg(c));
        m_offsets[size_t(c)]->setMaximumWidth(70);
        grid->addWidget(m_offsets[size_t(c)], c + 1, 3);
        connect(m_offsets[size_t(c)], &QLineEdit::textEdited, this,
                [this, c](const QString& t) { m_model.EditOffset(c, S(t)); });
    }
    m_monitor = new QCheckBox(Q(model.TextOf(M::MonitorBox)), this);
    m_monitor->setObjectName("monitor");
    m_dcAdjust = new QCheckBox(Q(model.TextOf(M::DcAdjustBox)), this);
    m_dcAdjust->setObjectName("dcAdjust");
    grid->addWidget(m_monitor, 3, 1);
    grid->addWidget(m_dcAdjust, 3, 3);
    m_recorded = new QLabel(this);
    m_recorded->setObjectName("recorded");
    m_timeLeft = new QLabel(this);
    m_timeLeft->setObjectName("timeLeft");
    grid->addWidget(new QLabel(LabelText(model.TextOf(M::RecordedLabel)), this), 4, 0);
    grid->addWidget(m_recorded, 4, 1);
    grid->addWidget(new QLabel(LabelText(model.TextOf(M::TimeLeftLabel)), this), 5, 0);
    grid->addWidget(m_timeLeft, 5, 1);
    m_kinds = new QComboBox(this);
    m_kinds->setObjectName("kinds");
    for (const std::string& entry : model.ListEntries())
        m_kinds->addItem(Q(entry));
    grid->addWidget(new QLabel(LabelText(model.TextOf(M::KindLabel)), this), 6, 0);
    grid->addWidget(m_kinds, 6, 1, 1, 3);

    auto* buttons = new QDialogButtonBox(this);
    m_save = buttons->addButton(Q(model.TextOf(M::SaveButton)), QDialogButtonBox::AcceptRole);
    m_save->setObjectName("save");
    buttons->addButton(Q(model.TextOf(M::CancelButton)), QDialogButtonBox::RejectRole)->setObjectName("cancel");
    buttons->addButton(Q(model.TextOf(M::HelpButton)), QDialogButtonBox::HelpRole)->setObjectName("help");
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(transport);
    layout->addLayout(grid);
    layout->addWidget(buttons);

    connect(m_record, &QToolButton::clicked, this, [this] { m_model.ToggleRecord(); Refresh(); });
    connect(m_play, &QToolButton::clicked, this, [this] { m_model.Play(); Refresh(); });
    connect(m_listen, &QToolButton::clicked, this, [this] { m_model.Listen(); Refresh(); });
    connect(m_monitor, &QCheckBox::toggled, this, [this](bool on) { m_model.SetMonitor(on); Refresh(); });
    connect(m_dcAdjust, &QCheckBox::toggled, this, [this](bool on) { m_model.SetDcAdjust(on); Refresh(); });
    connect(m_kinds, &QComboBox::currentIndexChanged, this, [this](int i) { m_model.SelectListEntry(i); });
    connect(buttons, &QDialogButtonBox::accepted, this, [this] {
        if (m_model.SaveEnabled())
            accept();
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(buttons, &QDialogButtonBox::helpRequested, this, &DialogView::OpenHelp);

    m_timer = new QTimer(this);
    m_timer->setInterval(RecordDialogModel::kTickMs);
    connect(m_timer, &QTimer::timeout, this, [this] { m_model.Tick(); Refresh(); });
    m_model.Open();
    m_timer->start();
    Refresh();
}

RecordDialogView::~RecordDialogView() { m_model.Close(); }

void RecordDialogView::done(int result)
{
    m_timer->stop();
    m_model.Close();
    DialogView::done(result);
}

void RecordDialogView::Refresh()
{
    const bool recording = m_model.RecordButtonIcon() == RecordDialogModel::RecordIcon::Stop;
    m_record->setIcon(recording ? StopIcon() : RecordIcon());
    m_record->setProperty("showsStop", recording);
    m_record->setEnabled(m_model.RecordEnabled());
    m_play->setEnabled(m_model.PlayEnabled());
    m_listen->setEnabled(m_model.ListenEnabled());
    m_save->setEnabled(m_model.SaveEnabled());
    m_kinds->setEnabled(m_model.ListEnabled());
    ShowCheck(m_monitor, m_model.Monitor());
    ShowCheck(m_dcAdjust, m_model.DcAdjust());
    for (int c = 0; c < 2; ++c) {
        if (m_meters[size_t(c)]->value() != m_model.Meter(c))
            m_meters[size_t(c)]->setValue(m_model.Meter(c));
        m_meters[size_t(c)]->SetPeak(m_model.PeakMark(c));
        m_peaks[size_t(c)]->setText(Q(m_model.PeakText(c)));
        ShowText(m_offsets[size_t(c)], m_model.OffsetText(c));
        m_offsets[size_t(c)]->setEnabled(m_model.OffsetsEnabled());
    }
    m_recorded->setText(Q(m_model.RecordedText()));
    m_timeLeft->setText(Q(m_model.TimeLeftText()));
}

std::optional<RecordResult> QtRecordDialog::Run(const RecordRequest& request)
{
    engine::RecordingEngineClient nowhere;
    engine::EngineClient& engine = m_environment.engine ? *m_environment.engine : nowhere;
    SilentReadout silence;
    const RecordingReadout& readout = m_environment.readout ? *m_environment.readout : silence;
    RecordDialogModel model(request,
                            LoadDialogTexts(m_environment.archive, RecordDialogModel::kTextList,
                                            RecordDialogModel::BuiltInTexts()),
                            engine, readout);
    RecordDialogView view(model, m_environment);
    m_model = &model;
    m_view = &view;
    const int result = view.exec();
    m_model = nullptr;
    m_view = nullptr;
    if (result != QDialog::Accepted)
        return std::nullopt;
    return model.Result();
}

void QtRecordDialog::Notify(RecordTrouble trouble)
{
    if (!m_model)
        return;
    m_model->Notify(trouble);
    m_view->Refresh();
}

} // namespace bm::dialogs
