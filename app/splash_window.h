#pragma once
// The splash window: shown for a moment at start, then it hands over to the first
// browser window.

#include <QWidget>

class QLabel;
class QTimer;

class frmSplash : public QWidget {
    Q_OBJECT
public:
    static constexpr int interval = 1500; // ms on screen

    explicit frmSplash(QWidget *parent = nullptr);

    QTimer *Timer1 = nullptr;
    QWidget *Frame1 = nullptr;
    QLabel *imgLogo = nullptr;
    QLabel *lblCompanyProduct = nullptr;
    QLabel *lblProductName = nullptr;
    QLabel *lblVersion = nullptr;
    QLabel *lblWarning = nullptr;
    QLabel *lblCompany = nullptr;

    void Form_Load();
    void Timer1_Timer();

Q_SIGNALS:
    // The tick has shown the first browser window.
    void handedOver();

private:
    QLabel *addLabel(const char *name, const QString &text, const QFont &font, const QColor &background,
                     int left, int top, int width, int height, Qt::Alignment alignment);
};
