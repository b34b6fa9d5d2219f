#include "UCKVR.h"

#include "FStats.h"
#include "KvrDeviceMap.h"
#include "KvrUnits.h"
#include "PanelWidgets.h"
#include "ParameterHub.h"
#include "core/PanelRegistry.h"
#include "core/TextId.h"
#include "core/mdlStrings.h"
#include "core/mdlTools.h"
#include "device/CDevice.h"
#include "display/Oscilloscope.h"
#include "session/mdlMainLink.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTimer>
#include <QVBoxLayout>

namespace {

using mdlStrings::Translate;

using panelWidgets::arrayName;

constexpr int StatusIntervalMs = 1000;
constexpr int DataIntervalMs = 10;
// Low enough for the whole panel to fit a 1366x768 screen at 120 dpi with a panel and a dock.
constexpr int ScopeMinimumHeight = 200;

template <typename Widget> Widget *named(Widget *widget, const QString &name)
{
    widget->setObjectName(name);
    return widget;
}

}  // namespace

UCKVR::UCKVR(QWidget *parent)
    : QWidget(parent), fraLimits(named(new QGroupBox(this), QStringLiteral("fraLimits"))),
      fraFilters(named(new QGroupBox(this), QStringLiteral("fraFilters"))),
      cmdShowStats(named(new QPushButton(this), QStringLiteral("cmdShowStats"))),
      cmdMonoReset(named(new QPushButton(this), QStringLiteral("cmdMonoReset"))),
      chkCollisionEn(named(new QCheckBox(this), QStringLiteral("chkCollisionEn"))), sldLPFilter(nullptr),
      sldHPFilter(nullptr), sldLPServo(nullptr), lblLPFreq(nullptr), lblHPFreq(nullptr), lblServo(nullptr),
      lblRMS(named(new QLabel(this), QStringLiteral("lblRMS"))),
      oScope(named(new Oscilloscope(this), QStringLiteral("oScope"))),
      tmrGetStatus(named(new QTimer(this), QStringLiteral("tmrGetStatus"))),
      tmrGetData(named(new QTimer(this), QStringLiteral("tmrGetData"))), Stats(new FStats(this)),
      Hub(new ParameterHub(
          *tmrGetStatus, [this](int32_t id, bool final) { ApplyParameter(id, final); }, this))
{
    setObjectName(QStringLiteral("UCKVR"));
    for (const auto &[key, colour] :
         {std::pair{"yellow", 0xFFFFu}, std::pair{"green", 0xFF00u}, std::pair{"red", 0xFFu},
          std::pair{"magenta", 0xFF00FFu}, std::pair{"cyan", 0xFFFF00u}})
        imlColors.insert(QLatin1String(key), panelWidgets::swatch(panelWidgets::fromBgr(colour)));
    buildLimits();
    buildFilters();
    buildDisplayChoice();
    oScope->setMinimumHeight(ScopeMinimumHeight);
    // With the display off the scope's space stays empty: the frames and option buttons stay
    // where the user's next click expects them.
    QSizePolicy scopePolicy = oScope->sizePolicy();
    scopePolicy.setRetainSizeWhenHidden(true);
    oScope->setSizePolicy(scopePolicy);

    auto *top = new QHBoxLayout;
    top->addWidget(fraLimits, 3);
    top->addWidget(fraFilters, 2);
    auto *middle = new QHBoxLayout;
    middle->addWidget(fra[0], 1);
    middle->addWidget(fra[1], 3);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(middle);
    layout->addWidget(oScope, 1);

    tmrGetStatus->setInterval(StatusIntervalMs);
    tmrGetData->setInterval(DataIntervalMs);
    tmrGetData->setTimerType(Qt::PreciseTimer);
    connectControls();
    UserControl_Initialize();
}

UCKVR::~UCKVR() = default;

void UCKVR::Register()
{
    panelRegistry::registerPanel(QLatin1String(ClassId), [](QWidget *parent) { return new UCKVR(parent); });
}

void UCKVR::buildLimits()
{
    auto *grid = new QGridLayout(fraLimits);
    for (const int index : {0, 2, 10, 11})
        lbl.insert(index, named(new QLabel(fraLimits), arrayName("lbl", index)));
    grid->addWidget(lbl[2], 0, 3);
    for (int i = 0; i < kvr::Limits; ++i) {
        txtThreValue[i] = named(new QLineEdit(fraLimits), arrayName("txtThreValue", i));
        txtThreValue[i]->setAlignment(Qt::AlignRight);
        txtThreValue[i]->setMaximumWidth(90);
        txtThreValue[i]->installEventFilter(this);
        chkMonostableOut[i] = named(new QCheckBox(fraLimits), arrayName("chkMonostableOut", i));
        grid->addWidget(txtThreValue[i], i + 1, 2);
        grid->addWidget(chkMonostableOut[i], i + 1, 3, Qt::AlignHCenter);
    }
    for (int i = 0; i < 2; ++i) {
        icbFunction[i] = named(new QComboBox(fraLimits), arrayName("icbFunction", i));
        grid->addWidget(lbl[i == 0 ? 11 : 10], i + 1, 0);
        grid->addWidget(icbFunction[i], i + 1, 1);
    }
    grid->addWidget(lbl[0], 3, 0, 1, 2);
    grid->addWidget(chkCollisionEn, 4, 0, 1, 2);
    cmdMonoReset->setText(QStringLiteral("Reset"));
    grid->addWidget(cmdMonoReset, 4, 3);
}

QSlider *UCKVR::addFilter(QGridLayout *grid, int row, int labelIndex, const char *slider, QLabel *&caption,
                          const char *captionName)
{
    lbl.insert(labelIndex, named(new QLabel(fraFilters), arrayName("lbl", labelIndex)));
    auto *control = named(new QSlider(Qt::Horizontal, fraFilters), QLatin1String(slider));
    control->setRange(kvr::MinFilterFrequency, kvr::MaxFilterFrequency);
    caption = named(new QLabel(fraFilters), QLatin1String(captionName));
    const int captionWidth = caption->fontMetrics().horizontalAdvance(QStringLiteral("0000 Hz"));
    caption->setMinimumWidth(captionWidth);
    // Squeezed, a slider would shrink to its bare handle, which reads as a check box.
    control->setMinimumWidth(2 * captionWidth);
    grid->addWidget(lbl[labelIndex], row, 0);
    grid->addWidget(control, row, 1);
    grid->addWidget(caption, row, 2);
    return control;
}

void UCKVR::buildFilters()
{
    auto *grid = new QGridLayout(fraFilters);
    sldHPFilter = addFilter(grid, 0, 4, "sldHPFilter", lblHPFreq, "lblHPFreq");
    sldLPFilter = addFilter(grid, 1, 3, "sldLPFilter", lblLPFreq, "lblLPFreq");
    sldLPServo = addFilter(grid, 2, 8, "sldLPServo", lblServo, "lblServo");
}

void UCKVR::buildDisplayChoice()
{
    fra[0] = named(new QGroupBox(QStringLiteral("Vibration"), this), arrayName("fra", 0));
    fra[1] = named(new QGroupBox(QStringLiteral("Display"), this), arrayName("fra", 1));
    auto *vibration = new QHBoxLayout(fra[0]);
    QFont big = lblRMS->font();
    big.setPointSizeF(big.pointSizeF() * 1.6);
    big.setBold(true);
    lblRMS->setFont(big);
    lbl.insert(1, named(new QLabel(fra[0]), arrayName("lbl", 1)));
    vibration->addWidget(lblRMS);
    vibration->addWidget(lbl[1]);
    vibration->addStretch();
    vibration->addWidget(cmdShowStats);
    auto *choice = new QHBoxLayout(fra[1]);
    for (int i = 0; i < kvr::ScopeSources; ++i) {
        optAxisScope[i] = named(new QRadioButton(fra[1]), arrayName("optAxisScope", i));
        choice->addWidget(optAxisScope[i]);
    }
    choice->addStretch();
}

void UCKVR::connectControls()
{
    for (int i = 0; i < 2; ++i)
        connect(icbFunction[i], &QComboBox::activated, this, [this, i] { icbFunction_Click(i); });
    for (int i = 0; i < kvr::Limits; ++i) {
        connect(txtThreValue[i], &QLineEdit::textChanged, this, [this, i] { txtThreValue_Change(i); });
        connect(chkMonostableOut[i], &QCheckBox::toggled, this, [this, i] { chkMonostableOut_Click(i); });
    }
    connect(chkCollisionEn, &QCheckBox::toggled, this, &UCKVR::chkCollisionEn_Click);
    connect(cmdMonoReset, &QPushButton::clicked, this, &UCKVR::cmdMonoReset_Click);
    connect(cmdShowStats, &QPushButton::clicked, this, &UCKVR::cmdShowStats_Click);
    // A drag scrolls (not final) until it ends; any other change of the value is final.
    for (const auto &[slider, id] : {std::pair{sldLPFilter, 1}, std::pair{sldHPFilter, 2}, std::pair{sldLPServo, 10}}) {
        QSlider *control = slider;
        const int32_t parameter = id;
        connect(control, &QSlider::valueChanged, this,
                [this, control, parameter] { ParameterChanged(parameter, !control->isSliderDown()); });
        connect(control, &QSlider::sliderReleased, this, [this, parameter] { ParameterChanged(parameter, true); });
    }
    for (int i = 0; i < kvr::ScopeSources; ++i) {
        connect(optAxisScope[i], &QRadioButton::toggled, this, [this, i](bool on) {
            if (on)
                optAxisScope_Click(i);
        });
    }
    connect(tmrGetStatus, &QTimer::timeout, this, &UCKVR::tmrGetStatus_Timer);
    connect(tmrGetData, &QTimer::timeout, this, &UCKVR::tmrGetData_Timer);
}

void UCKVR::UserControl_Initialize()
{
    bindDevice();
    InitScope();
    tmrGetStatus->start();
    RequestConfig();
    QCoreApplication::processEvents();
}

// The panel listens to the shell's one device object.
void UCKVR::bindDevice()
{
    CDevice *device = &mdlMain::Device();
    if (device == mDevice)
        return;
    if (mDevice)
        disconnect(mDevice, nullptr, this, nullptr);
    mDevice = device;
    connect(mDevice, &CDevice::NewRAMData, this, &UCKVR::mDevice_NewRAMData);
    connect(mDevice, &CDevice::NewRTData, this, &UCKVR::mDevice_NewRTData);
    connect(mDevice, &CDevice::IOStatusChanged, this, &UCKVR::mDevice_IOStatusChanged);
}

void UCKVR::LoadCaptions()
{
    struct Item {
        const char *key;
        txt::Id text;
        const char *image;
    };
    const Item items[] = {{"N", txt::Disabled, nullptr}, {"X", txt::XAxis, "yellow"},   {"Y", txt::YAxis, "green"},
                          {"Z", txt::ZAxis, "red"},      {"M", txt::Module, "magenta"}, {"R", txt::Rms, "cyan"}};
    for (QComboBox *combo : icbFunction) {
        for (const Item &item : items) {
            const QIcon icon = item.image ? imlColors.value(QLatin1String(item.image)) : QIcon();
            combo->addItem(icon, Translate(item.text), QLatin1String(item.key));
        }
        // Nothing is chosen until the first configuration reply chooses.
        combo->setCurrentIndex(-1);
    }
    const QString units = QStringLiteral(" (") + Translate(txt::MillimetresPerSecond) + QLatin1Char(')');
    lbl[1]->setText(Translate(txt::Vibration) + units);
    lbl[4]->setText(Translate(txt::HighPass));
    lbl[3]->setText(Translate(txt::LowPass));
    lbl[8]->setText(Translate(txt::MonoaxialLowPassFilter));
    cmdShowStats->setText(Translate(txt::RmsTable));
    fraLimits->setTitle(Translate(txt::Limits));
    fraFilters->setTitle(Translate(txt::Filter));
    chkCollisionEn->setText(Translate(txt::Collision) + QStringLiteral(" (") + Translate(txt::Module) +
                            QLatin1Char(')'));
    lbl[10]->setText(Translate(txt::Limit) + QStringLiteral(" 2"));
    lbl[11]->setText(Translate(txt::Limit) + QStringLiteral(" 1"));
    const txt::Id sources[] = {txt::AxisX, txt::AxisY, txt::AxisZ, txt::Module, txt::All, txt::None, txt::Rms};
    for (int i = 0; i < kvr::ScopeSources; ++i)
        optAxisScope[i]->setText(Translate(sources[i]));
    lbl[0]->setText(mdlStrings::Translate(QStringLiteral("Collision limit (module)")));
    lbl[2]->setText(mdlStrings::Translate(QStringLiteral("Monostable")));

    Stats->TranslateCaptions();
}

void UCKVR::cmdShowStats_Click()
{
    Stats->show();
    Stats->raise();
    Stats->activateWindow();
}

int32_t UCKVR::GetLimitFunction(int index) const
{
    return kvr::LimitFunctionOf(LimitWord.at(static_cast<std::size_t>(index)));
}

void UCKVR::ClampThreshold(int index)
{
    QLineEdit *box = txtThreValue.at(static_cast<std::size_t>(index));
    if (const auto bound = kvr::ThresholdBoundText(mdlTools::ValDot(box->text()), GetLimitFunction(index)))
        box->setText(*bound);
}

bool UCKVR::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::KeyPress)
        return QWidget::eventFilter(watched, event);
    for (int i = 0; i < kvr::Limits; ++i) {
        if (watched != txtThreValue[i])
            continue;
        const auto *key = static_cast<QKeyEvent *>(event);
        txtThreValue_KeyDown(i, key->key(), key->modifiers());
        // The stepping keys are the box's own; other keys type as usual.
        return key->key() == Qt::Key_Up || key->key() == Qt::Key_Down || key->key() == Qt::Key_PageUp ||
               key->key() == Qt::Key_PageDown;
    }
    return QWidget::eventFilter(watched, event);
}
