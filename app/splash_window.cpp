#include "app/splash_window.h"

#include "browser/browser_window.h"
#include "common/design.h"
#include "common/connect_guarded.h"
#include "common/failure.h"
#include "common/twips.h"

#include <QApplication>
#include <QIcon>
#include <QLabel>
#include <QScreen>
#include <QTimer>

namespace {
const QColor cyan(0, 255, 255);

} // namespace

frmSplash::frmSplash(QWidget *parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setObjectName(QStringLiteral("frmSplash"));
    // A screen reader says what a person sees; the design's names stay the objects' names.
    setAccessibleName(QStringLiteral("Quillon 's Browser"));
    setWindowTitle(QString());
    setFixedSize(Twips::toPixels(7380), Twips::toPixels(4215));
    Design::paint(this, Design::background);

    Frame1 = new QWidget(this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    Frame1->setGeometry(Twips::rect(30, 60, 7305, 4155));
    Design::paint(Frame1, cyan);

    imgLogo = new QLabel(Frame1);
    imgLogo->setObjectName(QStringLiteral("imgLogo"));
    imgLogo->setAccessibleName(QStringLiteral("Logo"));
    imgLogo->setGeometry(Twips::rect(240, 720, 1215, 1545));
    imgLogo->setPixmap(QApplication::windowIcon().pixmap(32, 32));
    imgLogo->setScaledContents(true);

    lblCompanyProduct = addLabel("lblCompanyProduct", QStringLiteral("Tarvel Communications"),
                                 Design::font(QStringLiteral("Arial"), 18, true), cyan, 2640, 705, 3390, 435, Qt::AlignLeft);
    lblProductName = addLabel("lblProductName", QStringLiteral("Quillon 's Browser 1.0"),
                              Design::font(QStringLiteral("Monotype Corsiva"), 32.25, true, true), QColor(192, 255, 192),
                              1920, 1440, 4680, 780, Qt::AlignLeft);
    Design::paint(lblProductName, QColor(192, 255, 192), QColor(128, 64, 64));
    lblVersion = addLabel("lblVersion", QStringLiteral("Version 1.0.0"), Design::font(QStringLiteral("Arial"), 12, true), cyan,
                          5520, 3360, 1470, 285, Qt::AlignRight);
    lblWarning = addLabel("lblWarning", QStringLiteral("Warning : Be Careful  And Enjoy Life"),
                          Design::font(QStringLiteral("Arial"), 8.25, false), QColor(255, 192, 192), 150, 3660, 2640, 210,
                          Qt::AlignLeft);
    lblCompany = addLabel("lblCompany", QStringLiteral(" Tarvel Communications"), Design::font(QStringLiteral("Arial"), 8.25, false),
                          cyan, 5640, 3720, 1410, 210, Qt::AlignRight);

    Form_Load();
}

QLabel *frmSplash::addLabel(const char *name, const QString &text, const QFont &font,
                            const QColor &background, int left, int top, int width, int height,
                            Qt::Alignment alignment)
{
    auto *label = new QLabel(text, Frame1);
    label->setObjectName(QString::fromLatin1(name)); // read by its text
    label->setFont(font);
    label->setAlignment(alignment | Qt::AlignVCenter);
    Design::paint(label, background);
    label->setGeometry(Twips::rect(left, top, width, height));
    // Sized to its text; a right-aligned label keeps its right edge.
    const int right = label->geometry().right();
    label->adjustSize();
    if (alignment & Qt::AlignRight)
        label->move(right - label->width() + 1, label->y());
    return label;
}

void frmSplash::Form_Load()
{
    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(interval);
    Timer1->setTimerType(Qt::PreciseTimer); // a coarse timer may fire up to 75 ms late
    connectGuarded(Timer1, &QTimer::timeout, this, &frmSplash::Timer1_Timer);
    Timer1->start();

    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        QRect frame(QPoint(), size());
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
}

void frmSplash::Timer1_Timer()
{
    // Unloading first: the tick runs once. The program keeps running through the gap,
    // as it only ends when the last browser window has gone.
    Timer1->stop();
    close();
    BrowserWindows::showFirst();
    Q_EMIT handedOver();
}
