#include "control/FrameAbout.h"

#include <QEvent>
#include <QLabel>
#include <QToolButton>
#include <string>

#include "LumarokVersion.h"
#include "control/AboutLogo.h"
#include "control/DesktopLinks.h"
#include "views/MessageBox.h"

// The project has no web site or mail yet: these say they are placeholders.
const char* const AboutWebAddress = "https://lumarokub.invalid/placeholder";
const char* const AboutSalesAddress = "mailto:sales@lumarokub.invalid";
const char* const AboutSupportAddress = "mailto:support@lumarokub.invalid";

namespace {
const QColor LinkColour(Qt::blue);
const QColor HoverColour(Qt::red);
constexpr int FontPoints = 8;
constexpr char VersionText[] = "LumarokUb " LUMAROKUB_VERSION;
constexpr char LinkFailedCaption[] = "About";

void SetTextColour(QLabel* label, const QColor& colour) {
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, colour);
    label->setPalette(palette);
}

constexpr qreal LogoPixelRatios[] = {1, 2, 3};

QToolButton* MakePicture(QWidget* parent, QRect place, bool withName) {
    auto* button = new QToolButton(parent);
    button->setAutoRaise(true);
    button->setFocusPolicy(Qt::NoFocus);
    button->setGeometry(place);
    button->setIconSize(place.size() - QSize(4, 4));
    // One drawing per pixel density, so the logo is sharp on any screen.
    QIcon icon;
    for (const qreal ratio : LogoPixelRatios)
        icon.addPixmap(DrawAboutLogo(button->iconSize(), withName, ratio));
    button->setIcon(icon);
    button->setToolTip(VersionText);
    return button;
}

// A link the desktop cannot open is said in a message: the user would
// otherwise see nothing happen.
void OpenOrSay(const char* address) {
    if (OpenDesktopUrl(address)) return;
    ShowMessage(std::string("Cannot open ") + address +
                    ": this desktop has no web browser or mail program set up for it.",
                LinkFailedCaption);
}
}  // namespace

TFAbout::TFAbout(QWidget* parent) : QFrame(parent) {
    sbAbout1 = MakePicture(this, QRect(49, 7, 112, 62), true);
    sbAbout2 = MakePicture(this, QRect(3, 0, 53, 30), false);
    Label1 = MakeLabel("\u00A9 LumarokUb project", QRect(58, 0, 126, 13), false);
    Label2 = MakeLabel(QString("version ") + LUMAROKUB_VERSION, QRect(58, 15, 126, 13), false);
    lbSales = MakeLabel("sales (placeholder)", QRect(58, 28, 110, 13), true);
    lbSupport = MakeLabel("support (placeholder)", QRect(58, 42, 121, 13), true);
    lbHttp = MakeLabel("web site (placeholder)", QRect(58, 56, 136, 13), true);
    lbSales->setToolTip(AboutSalesAddress);
    lbSupport->setToolTip(AboutSupportAddress);
    lbHttp->setToolTip(AboutWebAddress);
    BuildWidgets();
}

QLabel* TFAbout::MakeLabel(const QString& text, QRect place, bool link) {
    auto* label = new QLabel(text, this);
    label->setGeometry(place);
    QFont font = label->font();
    font.setPointSize(FontPoints);
    font.setUnderline(link);
    label->setFont(font);
    SetTextColour(label, link ? LinkColour : QColor(Qt::black));
    if (link) {
        label->setCursor(Qt::PointingHandCursor);
        label->setMouseTracking(true);
        label->installEventFilter(this);
    }
    return label;
}

void TFAbout::BuildWidgets() {
    sbAbout1->move(49, 7);
    sbAbout2->move(3, 0);
    SetDetailsVisible(false);
    connect(sbAbout1, &QToolButton::clicked, this, [this] { AboutPictureClick(); });
    connect(sbAbout2, &QToolButton::clicked, this, [this] { AboutPictureClick(); });
}

void TFAbout::SetDetailsVisible(bool details) {
    sbAbout1->setVisible(!details);
    sbAbout2->setVisible(details);
    for (QLabel* label : {Label1, Label2, lbSales, lbSupport, lbHttp}) label->setVisible(details);
}

void TFAbout::AboutPictureClick() {
    SetDetailsVisible(!sbAbout1->isHidden());
}

void TFAbout::WebLinkClick() {
    OpenOrSay(AboutWebAddress);
}
void TFAbout::SalesLinkClick() {
    OpenOrSay(AboutSalesAddress);
}
void TFAbout::SupportLinkClick() {
    OpenOrSay(AboutSupportAddress);
}

void TFAbout::LinkMouseMove(QLabel* link) {
    SetTextColour(link, HoverColour);
}
void TFAbout::LinkMouseLeave(QLabel* link) {
    SetTextColour(link, LinkColour);
}

bool TFAbout::eventFilter(QObject* watched, QEvent* event) {
    auto* link = qobject_cast<QLabel*>(watched);
    if (!link) return QFrame::eventFilter(watched, event);
    switch (event->type()) {
        case QEvent::MouseMove:
        case QEvent::Enter:
            LinkMouseMove(link);
            break;
        case QEvent::Leave:
            LinkMouseLeave(link);
            break;
        case QEvent::MouseButtonRelease:
            if (link == lbHttp) WebLinkClick();
            if (link == lbSales) SalesLinkClick();
            if (link == lbSupport) SupportLinkClick();
            return true;
        default:
            break;
    }
    return QFrame::eventFilter(watched, event);
}
