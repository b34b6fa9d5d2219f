#include "FAbout.h"

#include "core/TextId.h"
#include "core/mdlStrings.h"
#include "core/mdlTools.h"
#include "firmware/mdlSoftwares.h"
#include "session/mdlMain.h"

#include <QCoreApplication>
#include <QEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QVBoxLayout>
#include <QVersionNumber>
#include <cmath>

namespace {

constexpr int AboutHeightTwips = 4500;

const QStringList MakerBlock = {
    QStringLiteral("Varix Sensor Systems"),
    QStringLiteral("Vibration and collision monitoring for machine tools"),
    QStringLiteral("Service: support@varix.example"),
};

// The sensor: a machined housing with its status lamp, cable gland and measuring axes.
QPixmap drawProduct()
{
    QPixmap picture(112, 112);
    picture.fill(Qt::transparent);
    QPainter p(&picture);
    p.setRenderHint(QPainter::Antialiasing);

    QLinearGradient metal(0, 20, 0, 92);
    metal.setColorAt(0, QColor(0xE4, 0xE7, 0xEA));
    metal.setColorAt(1, QColor(0x8C, 0x93, 0x9A));
    p.setPen(QPen(QColor(0x4A, 0x50, 0x56), 1.5));
    p.setBrush(metal);
    p.drawRoundedRect(QRectF(14, 24, 70, 62), 8, 8);

    p.setBrush(QColor(0x30, 0x34, 0x38));
    p.drawRect(QRectF(84, 46, 14, 18));
    p.drawRect(QRectF(98, 50, 12, 10));

    p.setBrush(QColor(0x4A, 0x50, 0x56));
    for (const QPointF &hole : {QPointF(22, 32), QPointF(76, 32), QPointF(22, 78), QPointF(76, 78)})
        p.drawEllipse(hole, 3, 3);

    p.setBrush(QColor(0x2E, 0xCC, 0x40));
    p.drawEllipse(QPointF(49, 36), 4, 4);

    QFont font = p.font();
    font.setBold(true);
    font.setPixelSize(13);
    p.setFont(font);
    p.setPen(QColor(0x1F, 0x3A, 0x5F));
    p.drawText(QRectF(14, 48, 70, 24), Qt::AlignCenter, QStringLiteral("VARIX"));

    const auto arrow = [&p](QPointF from, QPointF to, const QColor &colour, const QString &name) {
        p.setPen(QPen(colour, 2));
        p.drawLine(from, to);
        const QPointF direction = (to - from) / std::hypot(to.x() - from.x(), to.y() - from.y());
        const QPointF normal(-direction.y(), direction.x());
        p.setBrush(colour);
        p.drawPolygon(QPolygonF({to, to - direction * 6 + normal * 3, to - direction * 6 - normal * 3}));
        p.drawText(to + direction * 4 + QPointF(-3, 4), name);
    };
    const QPointF origin(10, 104);
    arrow(origin, origin + QPointF(24, 0), QColor(0xC0, 0x39, 0x2B), QStringLiteral("X"));
    arrow(origin, origin + QPointF(14, -10), QColor(0x27, 0xAE, 0x60), QStringLiteral("Y"));
    arrow(origin, origin + QPointF(0, -22), QColor(0x29, 0x80, 0xB9), QStringLiteral("Z"));
    return picture;
}

// The maker's mark: the name over a damped oscillation.
QPixmap drawLogo()
{
    QPixmap picture(112, 44);
    picture.fill(Qt::transparent);
    QPainter p(&picture);
    p.setRenderHint(QPainter::Antialiasing);

    QPainterPath wave;
    wave.moveTo(4, 34);
    for (int x = 4; x <= 108; ++x) {
        const double t = (x - 4) / 104.0;
        wave.lineTo(x, 34 - 8 * std::exp(-3 * t) * std::sin(t * 6 * 3.14159265358979));
    }
    p.setPen(QPen(QColor(0xE6, 0x7E, 0x22), 2));
    p.drawPath(wave);

    QFont font = p.font();
    font.setBold(true);
    font.setPixelSize(20);
    font.setLetterSpacing(QFont::AbsoluteSpacing, 3);
    p.setFont(font);
    p.setPen(QColor(0x1F, 0x3A, 0x5F));
    p.drawText(QRectF(0, 0, 112, 26), Qt::AlignCenter, QStringLiteral("VARIX"));
    return picture;
}

}  // namespace

FAbout::FAbout(QWidget *parent)
    : QDialog(parent), lblInfo(new QLabel(this)), Image1(new QLabel(this)), imgLogoBrindle(new QLabel(this)),
      lblDistributor(new QLabel(this))
{
    setObjectName(QStringLiteral("FAbout"));
    setWindowTitle(QStringLiteral("About Varix Configuration Console"));
    lblInfo->setObjectName(QStringLiteral("lblInfo"));
    Image1->setObjectName(QStringLiteral("Image1"));
    imgLogoBrindle->setObjectName(QStringLiteral("imgLogoBrindle"));
    lblDistributor->setObjectName(QStringLiteral("lblDistributor"));
    lblDistributor->setText(mdlStrings::Translate(txt::DistributedInGermanyBy));
    lblInfo->setTextFormat(Qt::PlainText);
    lblInfo->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    imlDevice.insert(QStringLiteral("VARIX"), drawProduct());
    imgLogoBrindle->setPixmap(drawLogo());

    auto *pictures = new QVBoxLayout;
    pictures->addWidget(Image1);
    pictures->addStretch();
    pictures->addWidget(imgLogoBrindle);
    auto *text = new QVBoxLayout;
    text->addWidget(lblInfo);
    text->addStretch();
    text->addWidget(lblDistributor);
    auto *layout = new QHBoxLayout(this);
    layout->addLayout(pictures);
    layout->addSpacing(12);
    layout->addLayout(text, 1);

    for (QLabel *clickable : {lblInfo, Image1, imgLogoBrindle})
        clickable->installEventFilter(this);
    Form_Load();
}

QString FAbout::ConsoleVersion()
{
    const QVersionNumber version = QVersionNumber::fromString(QCoreApplication::applicationVersion());
    return QStringLiteral("%1.%2.%3")
        .arg(version.majorVersion())
        .arg(version.minorVersion())
        .arg(version.microVersion());
}

void FAbout::Form_Load()
{
    Image1->setPixmap(imlDevice.value(QStringLiteral("VARIX")));

    const int32_t firmware = mdlSoftwares::EmbeddedFirmwareVersion(mdlSoftwares::OwnApplication);
    QStringList lines = MakerBlock;
    lines << QString() << QString();
    lines << QStringLiteral("Varix Configuration Console");
    lines << mdlStrings::Translate(txt::Version) + QStringLiteral(": ") + ConsoleVersion();
    lines << mdlStrings::Translate(QStringLiteral("Firmware version")) + QStringLiteral(": ") +
                 mdlMain::FormatFirmwareVersion(firmware) + QStringLiteral(" (") +
                 mdlTools::HexPad(firmware, 2).toUpper() + QLatin1Char(')');
    lblInfo->setText(lines.join(QLatin1Char('\n')));

    lblDistributor->hide();
    const int height = AboutHeightTwips * logicalDpiY() / 1440;
    resize(sizeHint().width(), qMax(height, minimumSizeHint().height()));
}

void FAbout::keyPressEvent(QKeyEvent *event)
{
    // A modifier closes on its release: closed on the Alt of Alt+F4, the box would leave the F4 to
    // the main window, which would close with the whole program.
    if (isModifier(event->key())) {
        pressedModifier_ = event->key();
        return;
    }
    close();
}

void FAbout::keyReleaseEvent(QKeyEvent *event)
{
    // Only a modifier pressed here: one held while the box opened (a menu's Alt) is let go in peace.
    if (!event->isAutoRepeat() && event->key() == pressedModifier_)
        close();
}

bool FAbout::isModifier(int key)
{
    switch (key) {
    case Qt::Key_Shift:
    case Qt::Key_Control:
    case Qt::Key_Meta:
    case Qt::Key_Alt:
    case Qt::Key_AltGr:
    case Qt::Key_Super_L:
    case Qt::Key_Super_R:
    case Qt::Key_Hyper_L:
    case Qt::Key_Hyper_R: return true;
    default: return false;
    }
}

bool FAbout::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::MouseButtonRelease) {
        if (watched == Image1)
            Image1_Click();
        else if (watched == imgLogoBrindle)
            imgLogoBrindle_Click();
        else if (watched == lblInfo)
            lblInfo_Click();
    }
    return QDialog::eventFilter(watched, event);
}

void FAbout::Image1_Click()
{
    close();
}

void FAbout::imgLogoBrindle_Click()
{
    close();
}

void FAbout::lblInfo_Click()
{
    close();
}
