#pragma once
// The application object: a last safety net that turns any failure escaping an event
// handler into the uncaught-error message, so no window is lost to it. The toolkit is given
// the program's name and nothing else: the command line is the program's, and no argument
// from whoever starts it may choose the toolkit's platform, plugins, style or style sheet.

#include <QApplication>

class Application : public QApplication {
    Q_OBJECT
public:
    explicit Application(char *programName);
    bool notify(QObject *receiver, QEvent *event) override;
};
