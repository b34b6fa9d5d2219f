#include "FStats.h"

#include "IStatsOwner.h"
#include "PanelWidgets.h"
#include "RmsStatistics.h"
#include "core/TextId.h"
#include "core/mdlStrings.h"
#include "core/mdlTools.h"
#include "device/CDevice.h"
#include "platform/AnsiText.h"
#include "platform/Runtime.h"
#include "platform/UiService.h"
#include "platform/WritableFile.h"
#include "session/mdlMainLink.h"

#include <QComboBox>
#include <QDateTime>
#include <QDir>
#include <QEvent>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <vector>

namespace {

using mdlStrings::Translate;

using panelWidgets::arrayName;
using platform::MsgButtons;
using platform::MsgIcon;
using platform::MsgResult;

constexpr int HeaderRow = 0;
constexpr int FirstBandRow = 1;
constexpr int Columns = 6;
enum Column { LengthColumn, LowerColumn, LimitColumn, FactorColumn, HoursColumn, EquivalentColumn };

QLabel *namedLabel(QWidget *parent, const QString &name)
{
    auto *label = new QLabel(parent);
    label->setObjectName(name);
    return label;
}

QLineEdit *numberBox(QWidget *parent, const QString &name)
{
    auto *box = new QLineEdit(parent);
    box->setObjectName(name);
    box->setAlignment(Qt::AlignRight);
    box->setMaximumWidth(80);
    return box;
}

QPushButton *button(QWidget *parent, const char *name)
{
    auto *push = new QPushButton(parent);
    push->setObjectName(QLatin1String(name));
    return push;
}

}  // namespace

FStats::FStats(QWidget *owner)
    : QWidget(owner, Qt::Window), lblRMSLimit(namedLabel(this, QStringLiteral("lblRMSLimit"))),
      lblTotOreLavorate(namedLabel(this, QStringLiteral("lblTotOreLavorate"))),
      lblTotOreEquiv(namedLabel(this, QStringLiteral("lblTotOreEquiv"))), shpRMSHighlight(new QFrame(this)),
      cboRMSEnable(new QComboBox(this)), cmdUpload(button(this, "cmdUpload")), cmdExport(button(this, "cmdExport")),
      cmdHide(button(this, "cmdHide"))
{
    setObjectName(QStringLiteral("FStats"));
    shpRMSHighlight->setObjectName(QStringLiteral("shpRMSHighlight"));
    shpRMSHighlight->setAutoFillBackground(true);
    shpRMSHighlight->setFrameShape(QFrame::Box);
    shpRMSHighlight->setBackgroundRole(QPalette::Highlight);
    cboRMSEnable->setObjectName(QStringLiteral("cboRMSEnable"));
    // Two entries from the design; the panel gives them their texts.
    cboRMSEnable->addItems({QStringLiteral("0"), QStringLiteral("1")});
    setPending(false);

    auto *layout = new QVBoxLayout(this);
    grid_ = new QGridLayout;
    grid_->setVerticalSpacing(2);
    layout->addLayout(grid_);
    buildTable(grid_);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(cboRMSEnable);
    buttons->addStretch();
    for (QPushButton *push : {cmdUpload, cmdExport, cmdHide})
        buttons->addWidget(push);
    layout->addLayout(buttons);

    connect(cboRMSEnable, &QComboBox::currentIndexChanged, this, &FStats::cboRMSEnable_Click);
    connect(cmdUpload, &QPushButton::clicked, this, &FStats::cmdUpload_Click);
    connect(cmdExport, &QPushButton::clicked, this, &FStats::cmdExport_Click);
    connect(cmdHide, &QPushButton::clicked, this, &FStats::cmdHide_Click);
    placeMarker(0);
}

void FStats::buildTable(QGridLayout *grid)
{
    const std::pair<int, int> headers[] = {
        {0, LengthColumn}, {2, LowerColumn}, {5, FactorColumn}, {6, HoursColumn}, {7, EquivalentColumn}};
    for (const auto &[index, column] : headers) {
        lbl.insert(index, namedLabel(this, arrayName("lbl", index)));
        grid->addWidget(lbl[index], HeaderRow, column, 1, column == LowerColumn ? 2 : 1);
    }
    for (int i = 0; i < Bands; ++i) {
        const int row = FirstBandRow + i;
        lblDurataTeorica[i] = namedLabel(this, arrayName("lblDurataTeorica", i));
        txtReductionFactor[i] = numberBox(this, arrayName("txtReductionFactor", i));
        lblOreLavorate[i] = namedLabel(this, arrayName("lblOreLavorate", i));
        lblOreEquiv[i] = namedLabel(this, arrayName("lblOreEquiv", i));
        grid->addWidget(lblDurataTeorica[i], row, LengthColumn, Qt::AlignRight);
        grid->addWidget(txtReductionFactor[i], row, FactorColumn);
        grid->addWidget(lblOreLavorate[i], row, HoursColumn, Qt::AlignRight);
        grid->addWidget(lblOreEquiv[i], row, EquivalentColumn, Qt::AlignRight);
        txtReductionFactor[i]->installEventFilter(this);
        connect(txtReductionFactor[i], &QLineEdit::textChanged, this, [this, i] { txtReductionFactor_Change(i); });
        if (i == Limits) {
            grid->addWidget(lblRMSLimit, row, LowerColumn, 1, 2);
            continue;
        }
        lblLoweLimit[i] = namedLabel(this, arrayName("lblLoweLimit", i));
        txtRMSLimit[i] = numberBox(this, arrayName("txtRMSLimit", i));
        grid->addWidget(lblLoweLimit[i], row, LowerColumn, Qt::AlignRight);
        grid->addWidget(txtRMSLimit[i], row, LimitColumn);
        txtRMSLimit[i]->installEventFilter(this);
        connect(txtRMSLimit[i], &QLineEdit::textChanged, this, [this, i] { txtRMSLimit_Change(i); });
    }
    const int totals = FirstBandRow + Bands;
    grid->addWidget(lblTotOreLavorate, totals, HoursColumn, Qt::AlignRight);
    grid->addWidget(lblTotOreEquiv, totals, EquivalentColumn, Qt::AlignRight);
}

// A box taking the focus offers its whole text for overtyping; selecting after the focus event
// keeps the click that gave the focus from placing the cursor instead.
bool FStats::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::FocusIn)
        QTimer::singleShot(0, this, [] { mdlTools::SelectAllText(); });
    return QWidget::eventFilter(watched, event);
}

bool FStats::editing() const
{
    return !(Owner && Owner->RedrawSuppressed());
}

double FStats::limit(int index) const
{
    return mdlTools::ValDot(txtRMSLimit[static_cast<std::size_t>(index)]->text());
}

void FStats::markInvalid(QLineEdit *box)
{
    panelWidgets::setBoxColor(box, panelWidgets::fromBgr(panelWidgets::Red));
}

bool FStats::isInvalid(const QLineEdit *box) const
{
    return panelWidgets::boxColor(box) == panelWidgets::fromBgr(panelWidgets::Red);
}

void FStats::setLocked(bool locked)
{
    locked_ = locked;
    // A table left pending stays pending, for the administrator to upload on the next log-on.
    setPending(uploadPending_);
    cboRMSEnable->setEnabled(!locked);
    std::vector<QLineEdit *> boxes(txtRMSLimit.begin(), txtRMSLimit.end());
    boxes.insert(boxes.end(), txtReductionFactor.begin(), txtReductionFactor.end());
    for (QLineEdit *box : boxes) {
        box->setReadOnly(locked);
        // Red tells of a wrong limit to whoever looks; any other box shows whether it can be edited.
        if (!isInvalid(box))
            panelWidgets::setBoxColor(box, panelWidgets::plainBackground(box));
    }
}

void FStats::TranslateCaptions()
{
    setWindowTitle(Translate(txt::RmsTable));
    for (const auto &[index, id] :
         {std::pair{0, txt::TheoreticalLength}, std::pair{2, txt::VibrationRmsMmPerSecond},
          std::pair{5, txt::ReductionFactor}, std::pair{6, txt::RealHours}, std::pair{7, txt::WorkingHours}})
        lbl[index]->setText(Translate(id));
    lblLoweLimit[0]->setText(Translate(txt::Rms) + QStringLiteral(" <"));
    cmdExport->setText(Translate(txt::Export));
    cmdUpload->setText(Translate(txt::Upload));
    cboRMSEnable->setItemText(0, Translate(txt::AlwaysEnabled));
    cboRMSEnable->setItemText(1, Translate(txt::InputDriven));
    cmdHide->setText(Translate(QStringLiteral("Hide")));
}

QString FStats::BandLimitText(int band) const
{
    return txtRMSLimit.at(static_cast<std::size_t>(band))->text();
}

void FStats::setBandLimitText(int band, const QString &text)
{
    txtRMSLimit.at(static_cast<std::size_t>(band))->setText(text);
}

QString FStats::ReductionFactorText(int band) const
{
    return txtReductionFactor.at(static_cast<std::size_t>(band))->text();
}

void FStats::setReductionFactorText(int band, const QString &text)
{
    txtReductionFactor.at(static_cast<std::size_t>(band))->setText(text);
}

QString FStats::BandLimitName(int band) const
{
    return txtRMSLimit.at(static_cast<std::size_t>(band))->objectName();
}

QString FStats::ReductionFactorName(int band) const
{
    return txtReductionFactor.at(static_cast<std::size_t>(band))->objectName();
}

bool FStats::InputDriven() const
{
    return cboRMSEnable->currentIndex() == 1;
}

void FStats::setInputDriven(bool inputDriven)
{
    cboRMSEnable->setCurrentIndex(inputDriven ? 1 : 0);
}

bool FStats::UploadPending() const
{
    return uploadPending_;
}

void FStats::setUploadPending()
{
    setPending(true);
}

void FStats::setPending(bool pending)
{
    uploadPending_ = pending;
    cmdUpload->setEnabled(pending && !locked_);
}

void FStats::showBandHours(int band, const QString &hours, const QString &equivalent)
{
    lblOreLavorate.at(static_cast<std::size_t>(band))->setText(hours);
    lblOreEquiv.at(static_cast<std::size_t>(band))->setText(equivalent);
}

void FStats::showTotalHours(const QString &hours, const QString &equivalent)
{
    lblTotOreLavorate->setText(hours);
    lblTotOreEquiv->setText(equivalent);
}

void FStats::cboRMSEnable_Click()
{
    if (Owner)
        Owner->SetInputEnable();
}

// Only the edited box and its two neighbours are checked: the limits must rise strictly and stay
// within RMSLimitMax.
void FStats::txtRMSLimit_Change(int index)
{
    if (editing())
        setPending(true);
    const QString value = platform::runtime::numberText(limit(index));
    if (index == Limits - 1)
        lblRMSLimit->setText(Translate(txt::Rms) + QStringLiteral(" > ") + value);
    else
        lblLoweLimit[static_cast<std::size_t>(index) + 1]->setText(value + QStringLiteral(" < ") + Translate(txt::Rms) +
                                                                   QStringLiteral(" <"));
    QLineEdit *box = txtRMSLimit[static_cast<std::size_t>(index)];
    panelWidgets::setBoxColor(box, panelWidgets::plainBackground(box));
    for (const int neighbour : {index - 1, index + 1}) {
        if (neighbour < 0 || neighbour >= Limits)
            continue;
        QLineEdit *other = txtRMSLimit[static_cast<std::size_t>(neighbour)];
        panelWidgets::setBoxColor(other, panelWidgets::plainBackground(other));
        const bool lower = neighbour < index;
        if (lower ? limit(neighbour) >= limit(index) : limit(neighbour) <= limit(index)) {
            markInvalid(box);
            markInvalid(other);
        }
    }
    if (static_cast<float>(limit(index)) > RMSLimitMax)
        markInvalid(box);
}

void FStats::txtReductionFactor_Change(int index)
{
    const double factor = mdlTools::ValDot(txtReductionFactor[static_cast<std::size_t>(index)]->text());
    lblDurataTeorica[static_cast<std::size_t>(index)]->setText(kvr::TheoreticalLength(factor));
    if (editing())
        setPending(true);
}

void FStats::cmdUpload_Click()
{
    for (const QLineEdit *box : txtRMSLimit) {
        if (isInvalid(box)) {
            platform::ui::msgBox(Translate(txt::RmsLimitsNotCorrect), MsgButtons::Ok, MsgIcon::Exclamation,
                                 platform::ui::DefaultTitle);
            return;
        }
    }
    if (platform::ui::msgBox(Translate(txt::UploadAndResetQuestion), MsgButtons::YesNo, MsgIcon::Exclamation,
                             platform::ui::DefaultTitle) != MsgResult::Yes)
        return;
    if (Owner)
        Owner->SetTable();
    setPending(false);
}

QString FStats::bandText(int band) const
{
    const QString rms = Translate(txt::Rms);
    if (band == 0)
        return rms + QStringLiteral(" < ") + txtRMSLimit[0]->text();
    if (band == Limits)
        return rms + QStringLiteral(" > ") + txtRMSLimit[Limits - 1]->text();
    return txtRMSLimit[static_cast<std::size_t>(band) - 1]->text() + QStringLiteral(" < ") + rms +
           QStringLiteral(" < ") + txtRMSLimit[static_cast<std::size_t>(band)]->text();
}

QStringList FStats::exportLines() const
{
    const QString tab = QStringLiteral("\t");
    QStringList lines;
    lines << platform::ui::DefaultTitle + QStringLiteral(" - S/N ") + mdlMain::Device().SerialNumber();
    lines << platform::runtime::formatDate(QDateTime::currentDateTime(), QStringLiteral("DD MMM YYYY hh:mm:ss"));
    lines << QStringList{Translate(txt::TheoreticalLength), QStringLiteral("VRMS [mm/s]"),
                         Translate(txt::ReductionFactor), Translate(txt::RealHours), Translate(txt::WorkingHours)}
                 .join(tab);
    for (int i = 0; i < Bands; ++i) {
        const auto band = static_cast<std::size_t>(i);
        lines << QStringList{lblDurataTeorica[band]->text(), bandText(i), txtReductionFactor[band]->text(),
                             lblOreLavorate[band]->text(), lblOreEquiv[band]->text()}
                     .join(tab);
    }
    return lines;
}

// Appends one block to the chosen file; a file that cannot be written is reported with the reason
// and keeps what it held.
void FStats::cmdExport_Click()
{
    platform::FileDialogRequest request;
    request.kind = platform::FileDialogRequest::Kind::Save;
    request.title = Translate(txt::ExportData);
    request.filter = Translate(txt::StatisticsFileType) + QStringLiteral(" (*.txt);;") + Translate(txt::AllFiles) +
                     QStringLiteral(" (*.*)");
    request.defaultSuffix = QStringLiteral("txt");
    const QString fileName = platform::ui::fileDialog(request);
    if (fileName.isEmpty())
        return;
    const QByteArray block =
        platform::ansi::encode(exportLines().join(QStringLiteral("\r\n")) + QStringLiteral("\r\n"));
    QString reason;
    if (!platform::appendToFile(fileName, block, reason)) {
        platform::ui::msgBox(Translate(txt::UnableToExportData) + QStringLiteral("\r\n") +
                                 QDir::toNativeSeparators(fileName) + QStringLiteral(": ") + reason,
                             MsgButtons::Ok, MsgIcon::Exclamation, platform::ui::DefaultTitle);
    }
}

void FStats::cmdHide_Click()
{
    hide();
}

void FStats::setRMS(float rms)
{
    std::array<float, Limits> limits{};
    for (int i = 0; i < Limits; ++i)
        limits[static_cast<std::size_t>(i)] = static_cast<float>(limit(i));
    placeMarker(kvr::BandOf(limits, rms));
}

// The marker lies behind its band's row of the table.
void FStats::placeMarker(int band)
{
    if (band == markerBand_)
        return;
    markerBand_ = band;
    grid_->removeWidget(shpRMSHighlight);
    grid_->addWidget(shpRMSHighlight, FirstBandRow + band, 0, 1, Columns);
    shpRMSHighlight->lower();
}
