#pragma once
// The application object: a last safety net that turns any failure escaping an event
// handler into the uncaught-error message, so no window is lost to it.

#include <QApplication>

class Application : public QApplication {
    Q_OBJECT
public:
    Application(int &argc, char **argv);
    bool notify(QObject *receiver, QEvent *event) override;
};
