#include "dialogs/about_dialog.h"

#include "dialogs/system_info.h"
#include "banner/banner_player.h"
#include "common/design.h"
#include "common/connect_guarded.h"
#include "common/failure.h"
#include "common/twips.h"

#include <QGuiApplication>
#include <QLabel>
#include <QPainter>
#include <QPointer>
#include <QPushButton>
#include <QScreen>

namespace {

// The etched rule under the description: a grey line with a white one just below it.
class EtchedRule : public QWidget {
public:
    explicit EtchedRule(QWidget *parent) : QWidget(parent)
    {
        setAttribute(Qt::WA_TransparentForMouseEvents);
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        // Drawn in the dialog's twips, relative to this widget's own top-left.
        const QPoint origin = pos();
        auto px = [](int twips) { return Twips::toPixels(twips); };
        QPainter p(this);
        p.setPen(QPen(QColor(255, 255, 255), 2));
        p.drawLine(QPoint(px(105), px(2460)) - origin, QPoint(px(5654), px(2460)) - origin);
        p.setPen(QPen(QColor(128, 128, 128), 1));
        p.drawLine(QPoint(px(90), px(2445)) - origin, QPoint(px(5654), px(2445)) - origin);
    }
};

QLabel *makeLabel(const QString &text, const QRect &place, const QColor &fore, const QColor &back,
                  QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    label->setTextFormat(Qt::PlainText);
    label->setGeometry(place);
    Design::paint(label, back, fore);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return label;
}

QString descriptionText()
{
    return QStringLiteral("This Is Your Own Browser .             You  Can Make It Better By "
                          "Mailing Me At     quillon@example.com            Please Send Your "
                          "Views And Comments.                                ThankYou ------Quillon");
}

} // namespace

frmAbout::frmAbout(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint
                          | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                          | Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("About Quillon's Browser"));
    setAttribute(Qt::WA_DeleteOnClose);
    Design::paint(this, Design::background);

    const QSize client(Twips::toPixels(5730), Twips::toPixels(3555));
    setFixedSize(client);
    const QPoint screenTopLeft =
        QGuiApplication::primaryScreen() ? QGuiApplication::primaryScreen()->geometry().topLeft()
                                         : QPoint();
    setGeometry(QRect(screenTopLeft + QPoint(Twips::toPixels(2340), Twips::toPixels(1935)), client));

    ShockwaveFlash1 = new BannerPlayer(BannerMovie::About, this);
    ShockwaveFlash1->setObjectName(QStringLiteral("ShockwaveFlash1"));
    ShockwaveFlash1->setGeometry(Twips::rect(120, 120, 855, 615));

    lblTitle = makeLabel(QStringLiteral("Quillon 's Browser"), Twips::rect(2115, 240, 1755, 285),
                         QColor(0, 0, 128), QColor(255, 224, 192), this);
    lblTitle->setObjectName(QStringLiteral("lblTitle"));
    lblTitle->setFont(Design::font(QStringLiteral("Arial"), 12, true));
    lblTitle->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    lblTitle->adjustSize(); // sizes itself to its text, keeping its left edge

    lblVersion = makeLabel(QStringLiteral("Version 1.0"), Twips::rect(1050, 780, 3885, 225),
                           QColor(64, 0, 0), Design::background, this);
    lblVersion->setObjectName(QStringLiteral("lblVersion"));
    lblVersion->setFont(Design::font(QStringLiteral("MS Serif"), 8.25, true));

    lblDescription = makeLabel(descriptionText(), Twips::rect(1050, 1125, 3885, 1290),
                               QColor(0, 0, 0), Design::background, this);
    lblDescription->setObjectName(QStringLiteral("lblDescription"));
    lblDescription->setFont(Design::font(QStringLiteral("Verdana"), 9, true));
    lblDescription->setWordWrap(true);

    lblDisclaimer = makeLabel(
        QStringLiteral("Warning: ...You Need to Have Internet Explorer On Your Computer For "
                       "Quillon 's Browser To Function Properly"),
        Twips::rect(255, 2625, 3870, 825), QColor(0, 0, 64), QColor(255, 128, 128), this);
    lblDisclaimer->setObjectName(QStringLiteral("lblDisclaimer"));
    lblDisclaimer->setWordWrap(true);

    Line1 = new EtchedRule(this);
    Line1->setObjectName(QStringLiteral("Line1"));
    Line1->setGeometry(Twips::rect(90, 2430, 5580, 60));

    cmdOK = new QPushButton(QStringLiteral("OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setGeometry(Twips::rect(4245, 2625, 1260, 345));
    cmdOK->setDefault(true); // Enter; Escape rejects the dialog, which unloads it as well

    cmdSysInfo = new QPushButton(QStringLiteral("&System Info..."), this);
    cmdSysInfo->setObjectName(QStringLiteral("cmdSysInfo"));
    cmdSysInfo->setGeometry(Twips::rect(4260, 3075, 1245, 345));

    setTabOrder(cmdOK, cmdSysInfo);
    cmdOK->setFocus();

    connectGuarded(cmdOK, &QPushButton::clicked, this, &frmAbout::cmdOK_Click);
    connectGuarded(cmdSysInfo, &QPushButton::clicked, this, &frmAbout::cmdSysInfo_Click);

    unguarded([this] { Form_Load(); });
}

frmAbout::~frmAbout() = default;


QString frmAbout::versionLine()
{
    return QStringLiteral("Version %1.%2.%3")
        .arg(QUILLON_VERSION_MAJOR)
        .arg(QUILLON_VERSION_MINOR)
        .arg(QUILLON_VERSION_PATCH);
}

void frmAbout::Form_Load() { lblVersion->setText(versionLine()); }

void frmAbout::cmdOK_Click() { close(); }

void frmAbout::cmdSysInfo_Click() { StartSysInfo(); }
