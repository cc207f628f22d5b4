#include "banner/banner_player.h"

#include "common/failure.h"
#include "banner/swf/reader.h"
#include "banner/swf/renderer.h"
#include "common/twips.h"
#include "banner/x11_frames.h"

#include <QFile>
#include <QPainter>
#include <QPlatformSurfaceEvent>
#include <QRasterWindow>
#include <QResizeEvent>
#include <QTimerEvent>
#include <algorithm>
#include <cmath>

namespace {

// Drawn frames are kept only while they stay this small; a huge banner draws each paint.
constexpr qint64 maxCacheBytes = 16 * 1024 * 1024;

QString resourcePath(BannerMovie movie)
{
    switch (movie) {
    case BannerMovie::Busy: return QStringLiteral(":/banners/quillonspot1.swf");
    case BannerMovie::Idle: return QStringLiteral(":/banners/quillonspot2.swf");
    case BannerMovie::About: return QStringLiteral(":/banners/arotate.swf");
    }
    return {};
}

} // namespace

// The banner's own small window: it shows the current frame and nothing else.
class BannerSurface : public QRasterWindow {
public:
    explicit BannerSurface(BannerPlayer *player) : m_player(player) {}

    // The same frames kept by the X server, when it can show them directly. They belong to
    // the native window and go with it.
    std::unique_ptr<X11Frames> serverFrames;

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        m_player->drawFrame(painter);
    }
    bool event(QEvent *event) override
    {
        if (event->type() == QEvent::PlatformSurface
            && static_cast<QPlatformSurfaceEvent *>(event)->surfaceEventType()
                   == QPlatformSurfaceEvent::SurfaceAboutToBeDestroyed)
            serverFrames.reset();
        return QRasterWindow::event(event);
    }

private:
    BannerPlayer *m_player;
};

BannerPlayer::BannerPlayer(BannerMovie movie, QWidget *parent) : QWidget(parent), m_movie(movie)
{
    setContextMenuPolicy(Qt::NoContextMenu);
    setAttribute(Qt::WA_OpaquePaintEvent);
    m_surface = new BannerSurface(this);
    m_surfaceHost = QWidget::createWindowContainer(m_surface, this);
    m_surfaceHost->setContextMenuPolicy(Qt::NoContextMenu);
    m_surfaceHost->setFocusPolicy(Qt::NoFocus);
    QFile file(resourcePath(movie));
    if (file.open(QIODevice::ReadOnly) && file.size() <= Swf::maxMovieBytes)
        loadMovie(file.readAll());
}

BannerPlayer::~BannerPlayer() = default;

QWindow *BannerPlayer::surface() const { return m_surface; }

void BannerPlayer::showFrame()
{
    if (showOnServer())
        return;
    // Only the surface: updating the widget itself would redraw the whole window again.
    // grab() still shows the current frame, as it paints the widget afresh.
    if (m_surface)
        m_surface->update();
    else
        update();
}

// A frame already on the server costs one copy request: no paint, no wake-up to flush it.
bool BannerPlayer::showOnServer()
{
    if (!m_swf || !m_surface || !m_surface->handle() || !m_surface->isExposed() || !cacheable())
        return false;
    std::unique_ptr<X11Frames> &frames = m_surface->serverFrames;
    if (!frames)
        frames = std::make_unique<X11Frames>(m_surface);
    if (!frames->isReady())
        return false;
    const QPixmap &picture = frame(m_frame); // may forget the server's frames if the size changed
    if (!frames->has(m_frame))
        frames->store(m_frame, picture.toImage());
    if (!frames->has(m_frame))
        return false;
    frames->show(m_frame);
    return true;
}

void BannerPlayer::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    if (m_surfaceHost)
        m_surfaceHost->setGeometry(rect());
}

bool BannerPlayer::loadMovie(const QByteArray &data)
{
    m_frames.clear();
    m_frame = 0;
    try {
        m_swf = std::make_unique<Swf::Movie>(Swf::readMovie(data));
    } catch (const PlatformError &) {
        m_swf.reset(); // shown black
    }
    updateTimer();
    showFrame();
    return m_swf != nullptr;
}

void BannerPlayer::Play()
{
    m_playing = true;
    updateTimer();
}

void BannerPlayer::StopPlay()
{
    m_playing = false;
    updateTimer();
}

bool BannerPlayer::isPlaying() const { return m_playing; }

void BannerPlayer::moveLeft(int twips) { move(Twips::toPixels(twips), y()); }

QString BannerPlayer::Movie() const
{
    switch (m_movie) {
    case BannerMovie::Busy: return QStringLiteral("c:\\aaa\\quillon\\browser\\quillonspot1.swf");
    case BannerMovie::Idle: return QStringLiteral("c:\\aaa\\quillon\\browser\\quillonspot2.swf");
    case BannerMovie::About: return QStringLiteral("c:\\aaa\\QUILLON\\BROWSER\\arotate.SWF");
    }
    return {};
}

int BannerPlayer::TotalFrames() const { return m_swf ? m_swf->frameCount() : 0; }

void BannerPlayer::GotoFrame(int frame)
{
    if (frame < 0 || frame >= TotalFrames())
        return;
    m_frame = frame;
    showFrame();
    Q_EMIT frameChanged(m_frame);
}

QSize BannerPlayer::sizeHint() const
{
    return m_swf ? m_swf->stagePixels() : QSize(Twips::toPixels(735), Twips::toPixels(525));
}

// Runs only while there is something to animate that can be seen.
void BannerPlayer::updateTimer()
{
    const bool wanted = m_playing && isVisible() && TotalFrames() > 1;
    if (!wanted) {
        m_timer.stop();
        return;
    }
    if (!m_timer.isActive()) {
        const double rate = std::clamp(m_swf->frameRate, 1.0, 60.0);
        m_timer.start(static_cast<int>(std::lround(1000.0 / rate)), Qt::PreciseTimer, this);
    }
}

void BannerPlayer::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    updateTimer();
}

void BannerPlayer::hideEvent(QHideEvent *event)
{
    QWidget::hideEvent(event);
    m_timer.stop();
}

void BannerPlayer::timerEvent(QTimerEvent *event)
{
    if (event->timerId() != m_timer.timerId()) {
        QWidget::timerEvent(event);
        return;
    }
    if (!isVisible()) { // hidden without a hide event reaching us (e.g. an ancestor)
        m_timer.stop();
        return;
    }
    m_frame = (m_frame + 1) % TotalFrames(); // the movie loops
    showFrame();
    Q_EMIT frameChanged(m_frame);
}

const QPixmap &BannerPlayer::frame(int index)
{
    const qreal dpr = devicePixelRatioF();
    if (m_frameSize != size() || m_frameDpr != dpr) {
        m_frames.assign(size_t(TotalFrames()), QPixmap());
        m_frameSize = size();
        m_frameDpr = dpr;
        if (m_surface && m_surface->serverFrames)
            m_surface->serverFrames->clear();
    }
    QPixmap &pixmap = m_frames[size_t(index)];
    if (pixmap.isNull()) {
        pixmap = QPixmap(QSize(std::lround(width() * dpr), std::lround(height() * dpr)));
        pixmap.setDevicePixelRatio(dpr);
        QPainter painter(&pixmap);
        Swf::renderFrame(painter, *m_swf, index, QRectF(rect()), Qt::black);
    }
    return pixmap;
}

void BannerPlayer::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    drawFrame(painter);
}

void BannerPlayer::drawFrame(QPainter &painter)
{
    if (!m_swf || width() <= 0 || height() <= 0) {
        painter.fillRect(rect(), Qt::black);
        return;
    }
    if (!cacheable()) {
        m_frames.clear();
        m_frameSize = QSize();
        Swf::renderFrame(painter, *m_swf, m_frame, QRectF(rect()), Qt::black);
        return;
    }
    painter.drawPixmap(0, 0, frame(m_frame));
}

bool BannerPlayer::cacheable() const
{
    const qreal dpr = devicePixelRatioF();
    return qint64(width() * dpr) * qint64(height() * dpr) * 4 * TotalFrames() <= maxCacheBytes;
}
