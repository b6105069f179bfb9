#pragma once

// The application object: whatever a handler lets escape is shown in the
// general error report, and the program goes on.

#include <QApplication>

class KolvaroApplication : public QApplication {
    Q_OBJECT

  public:
    KolvaroApplication(int& argc, char** argv);
    ~KolvaroApplication() override;

    bool notify(QObject* receiver, QEvent* event) override;

    // Qt's own dialog texts (Yes/No, the print dialog) in German, whatever
    // the system's language; false when Qt's German texts are not installed.
    bool LoadQtTranslations();
};
