#pragma once

#include <QWidget>

class QComboBox;
class QFileSystemModel;
class QFrame;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QTimer;
class QTreeView;

namespace kolvaro::setup {

class TFehler;

// The setup wizard: welcome, folder, installing and finish pages in one fixed
// window. The copy happens in the click that starts the installation; the
// shortcuts are written when the window is closed from the finish page.
class TMain : public QWidget {
    Q_OBJECT

  public:
    explicit TMain(QWidget* parent = nullptr);

    // The dialog every failure is reported in; it is made after the window.
    void SetErrorDialog(TFehler* dialog) { Fehler = dialog; }

    // The handlers, open so that a test can act as the timer does.
    void btnWeiterClick();
    void btnZurueckClick();
    void btnAbbrechenClick();
    void DriveComboBox1Change();
    void TimerTimer();

  protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    void FormCreate();
    void FormShow();
    void FormClose();
    void BuildPages();
    void BuildFolderChooser();
    void FillPlaces();
    void ShowPlace(const QString& place);
    void ShowWelcomePage();
    void ShowFolderPage();
    void ShowShortcutStep();
    void ShowFinishPage();
    void InstallFiles();
    bool InstallFile(const QString& source, const QString& destination);
    void ShowError(const QString& message);

    int Page = 1;
    int TimerTicks = 0;
    bool InstallOk = false;
    QString SourceDirectory;

    TFehler* Fehler = nullptr;
    bool Shown = false;

    QFrame* Panel1;
    QFrame* Panel2;
    QLabel* lbTitel;
    QLabel* lbUntertitel;
    QFrame* Memo;
    QLabel* Label4;
    QLabel* Label1;
    QLabel* Label2;
    QLabel* Label3;
    QFrame* pnFertig;
    QLabel* Label8;
    QLabel* Label5;
    QLabel* Label6;
    QLineEdit* edPfad;
    QTreeView* DirectoryListBox1;
    QFileSystemModel* Folders;
    QComboBox* DriveComboBox1;
    QLabel* lbProgress;
    QFrame* pnProgress;
    QProgressBar* pgrBar;
    QPushButton* btnZurueck;
    QPushButton* btnWeiter;
    QPushButton* btnAbbrechen;
    QTimer* Timer;
};

}  // namespace kolvaro::setup
