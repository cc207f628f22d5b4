#pragma once
// The banner animation player: a small widget that plays one of the stored movies,
// looping, from the moment it is created. Frames are drawn once per widget size and kept;
// no timer runs while the banner is stopped or hidden.

#include <QBasicTimer>
#include <QPixmap>
#include <QWidget>
#include <memory>
#include <vector>

namespace Swf {
struct Movie;
}

enum class BannerMovie {
    Busy,  // the browser window's ShockwaveFlash1
    Idle,  // the browser window's ShockwaveFlash2
    About, // the About dialog's ShockwaveFlash1
};

class QPainter;
class BannerSurface;
class QWindow;

class BannerPlayer : public QWidget {
    Q_OBJECT
    // The design-time settings every banner carries; fixed for its life.
    Q_PROPERTY(QString Movie READ Movie CONSTANT)
    Q_PROPERTY(QString Src READ Src CONSTANT)
    Q_PROPERTY(bool Loop READ Loop CONSTANT)
    Q_PROPERTY(QString Quality READ Quality CONSTANT)
    Q_PROPERTY(QString Scale READ Scale CONSTANT)
    Q_PROPERTY(QString BGColor READ BGColor CONSTANT)
    Q_PROPERTY(bool Menu READ Menu CONSTANT)
    Q_PROPERTY(QString WMode READ WMode CONSTANT)

public:
    explicit BannerPlayer(BannerMovie movie, QWidget *parent = nullptr);
    ~BannerPlayer() override;

    void Play();
    void StopPlay();
    bool isPlaying() const;
    // Sets the left edge only, in twips of the container.
    void moveLeft(int twips);

    // Source path kept with the banner (never read).
    QString Movie() const;
    QString Src() const { return Movie(); }
    bool Loop() const { return true; }
    QString Quality() const { return QStringLiteral("Best"); }
    QString Scale() const { return QStringLiteral("ShowAll"); }
    QString BGColor() const { return QStringLiteral("000000"); }
    bool Menu() const { return false; }
    QString WMode() const { return QStringLiteral("Window"); }

    // Frames are numbered from 0.
    int CurrentFrame() const { return m_frame; }
    int TotalFrames() const;
    void GotoFrame(int frame);

    // Replaces the movie with one read from data; a movie that fails to read leaves the
    // banner black and returns false.
    bool loadMovie(const QByteArray &data);
    bool hasMovie() const { return m_swf != nullptr; }
    bool timerActive() const { return m_timer.isActive(); }
    // The small native window the frames are shown in.
    QWindow *surface() const;

    QSize sizeHint() const override;

Q_SIGNALS:
    // A new frame is up (by the clock or GotoFrame).
    void frameChanged(int frame);

protected:
    void paintEvent(QPaintEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    void timerEvent(QTimerEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    friend class BannerSurface;
    void updateTimer();
    void showFrame();
    void drawFrame(QPainter &painter);
    const QPixmap &frame(int index);
    bool cacheable() const;
    bool showOnServer();

    // Frames go to a small raster window of their own: inside a window that holds the web
    // engine, a widget's repaint would redraw the whole window through OpenGL at every frame.
    BannerSurface *m_surface = nullptr;
    QWidget *m_surfaceHost = nullptr;

    BannerMovie m_movie;
    std::unique_ptr<Swf::Movie> m_swf;
    bool m_playing = true;
    int m_frame = 0;
    QBasicTimer m_timer;
    std::vector<QPixmap> m_frames; // drawn frames at m_frameSize, m_frameDpr
    QSize m_frameSize;
    qreal m_frameDpr = 0;
};
