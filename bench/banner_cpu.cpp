// The banner player alone, for the benchmark: one small window holding the browser's two
// banners, side by side at their design size, either playing or hidden. The harness reads
// this process's CPU time from outside, exactly as it does for the browsers.
//   banner_cpu playing | hidden | stopped

#include <QApplication>
#include <QHBoxLayout>
#include <QWidget>
#include <cstdio>
#include <cstring>

#include "banner/banner_player.h"
#include "common/resources.h"

int main(int argc, char **argv)
{
    const char *mode = argc > 1 ? argv[1] : "";
    if (std::strcmp(mode, "playing") && std::strcmp(mode, "hidden") && std::strcmp(mode, "stopped")) {
        std::fputs("usage: banner_cpu playing | hidden | stopped\n", stderr);
        return 2;
    }
    QApplication app(argc, argv);
    Resources::init();

    QWidget window;
    window.setWindowTitle(QStringLiteral("banner_cpu %1").arg(QLatin1String(mode)));
    auto *row = new QHBoxLayout(&window);
    for (BannerMovie movie : {BannerMovie::Busy, BannerMovie::Idle}) {
        auto *banner = new BannerPlayer(movie, &window);
        banner->setFixedSize(49, 35); // 735 x 525 twips, as in the browser window
        row->addWidget(banner);
        if (!std::strcmp(mode, "hidden"))
            banner->hide();
        else if (!std::strcmp(mode, "stopped"))
            banner->StopPlay();
    }
    window.resize(160, 60);
    window.show();
    return QApplication::exec();
}
