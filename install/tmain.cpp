#include "tmain.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFileSystemModel>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QStorageInfo>
#include <QTimer>
#include <QTreeView>

#include "target_path.h"
#include "window_font.h"

namespace kolvaro::setup {

namespace {

const QString kUntertitel =
    QStringLiteral("Wählen Sie das Verzeichnis, in das Kolvaro installiert werden soll.");

template <typename Widget>
Widget* Make(QWidget* parent, const char* name) {
    auto* widget = new Widget(parent);
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

QLabel* MakeLabel(QWidget* parent, const char* name, int left, int top, const QString& text) {
    auto* label = Make<QLabel>(parent, name);
    label->setTextFormat(Qt::PlainText);
    label->setText(text);
    label->move(left, top);
    label->adjustSize();
    return label;
}

QFrame* MakePanel(QWidget* parent, const char* name, const QRect& geometry) {
    auto* panel = Make<QFrame>(parent, name);
    panel->setGeometry(geometry);
    return panel;
}

QPushButton* MakeButton(QWidget* parent, const char* name, int left, const QString& caption) {
    auto* button = Make<QPushButton>(parent, name);
    button->setText(caption);
    button->setGeometry(left, 240, 75, 25);
    return button;
}

}  // namespace

TMain::TMain(QWidget* parent)
    : QWidget(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint | Qt::WindowStaysOnTopHint |
                          Qt::MSWindowsFixedSizeDialogHint) {
    setObjectName(QStringLiteral("Main"));
    setWindowTitle(QStringLiteral("Setup - Kolvaro"));
    setFixedSize(427, 273);
    setFont(WindowFont());
    BuildPages();
    FormCreate();
}

void TMain::BuildPages() {
    Panel1 = MakePanel(this, "Panel1", QRect(0, 0, 427, 233));
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Sunken);

    Panel2 = MakePanel(Panel1, "Panel2", QRect(1, 1, 430, 64));
    Panel2->setFrameStyle(QFrame::WinPanel | QFrame::Sunken);
    Panel2->setAutoFillBackground(true);
    QPalette white = Panel2->palette();
    white.setColor(QPalette::Window, Qt::white);
    white.setColor(QPalette::WindowText, Qt::black);
    Panel2->setPalette(white);

    lbTitel = MakeLabel(Panel2, "lbTitel", 8, 16, QString());
    QFont bold = lbTitel->font();
    bold.setBold(true);
    lbTitel->setFont(bold);
    lbUntertitel = MakeLabel(Panel2, "lbUntertitel", 16, 32, kUntertitel);

    Memo = MakePanel(Panel1, "Memo", QRect(16, 72, 393, 145));
    Label4 = MakeLabel(
        Memo, "Label4", 0, 16,
        QStringLiteral("Das Programm Kolvaro wird jetzt auf Ihrem Computer installiert."));
    Label1 = MakeLabel(
        Memo, "Label1", 0, 40,
        QStringLiteral("Der Installationsassistent begleitet Sie durch die Installation."));
    Label2 = MakeLabel(
        Memo, "Label2", 0, 64,
        QStringLiteral(
            "Drücken Sie \"Weiter\", um fortzufahren. Drücken Sie \"Abbrechen\", um die"));
    Label3 = MakeLabel(Memo, "Label3", 0, 80, QStringLiteral("Installation zu beenden."));

    pnFertig = MakePanel(Panel1, "pnFertig", QRect(16, 72, 393, 145));
    Label8 = MakeLabel(
        pnFertig, "Label8", 0, 16,
        QStringLiteral("Das Programm Kolvaro wurde erfolgreich auf Ihrem Computer installiert."));
    Label5 = MakeLabel(
        pnFertig, "Label5", 0, 40,
        QStringLiteral("Sie können das Programm jetzt über das Icon auf dem Desktop starten."));
    Label6 = MakeLabel(
        pnFertig, "Label6", 0, 64,
        QStringLiteral("\"Drücken Sie \"Fertig\", um den Installationsassistenten zu schließen."));
    pnFertig->hide();

    edPfad = Make<QLineEdit>(Panel1, "edPfad");
    edPfad->setGeometry(16, 72, 393, 21);
    BuildFolderChooser();

    lbProgress = MakeLabel(Panel1, "lbProgress", 16, 112, QStringLiteral("Bitte warten ..."));

    pnProgress = MakePanel(this, "pnProgress", QRect(15, 133, 395, 15));
    pgrBar = Make<QProgressBar>(pnProgress, "pgrBar");
    pgrBar->setGeometry(0, 0, 395, 15);
    pgrBar->setRange(0, 10);
    pgrBar->setValue(0);
    pgrBar->setTextVisible(false);

    btnZurueck = MakeButton(this, "btnZurueck", 190, QStringLiteral("< &Zurück"));
    btnZurueck->hide();
    btnWeiter = MakeButton(this, "btnWeiter", 265, QStringLiteral("&Weiter >"));
    btnAbbrechen = MakeButton(this, "btnAbbrechen", 350, QStringLiteral("&Abbrechen"));
    connect(btnWeiter, &QPushButton::clicked, this, &TMain::btnWeiterClick);
    connect(btnZurueck, &QPushButton::clicked, this, &TMain::btnZurueckClick);
    connect(btnAbbrechen, &QPushButton::clicked, this, &TMain::btnAbbrechenClick);

    Timer = new QTimer(this);
    Timer->setObjectName(QStringLiteral("Timer"));
    Timer->setInterval(2000);
    connect(Timer, &QTimer::timeout, this, &TMain::TimerTimer);

    setTabOrder(edPfad, DirectoryListBox1);
    setTabOrder(DirectoryListBox1, DriveComboBox1);
    setTabOrder(DriveComboBox1, btnAbbrechen);
    setTabOrder(btnAbbrechen, btnWeiter);
    setTabOrder(btnWeiter, btnZurueck);
}

void TMain::BuildFolderChooser() {
    Folders = new QFileSystemModel(this);
    Folders->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot);
    Folders->setReadOnly(true);

    DirectoryListBox1 = Make<QTreeView>(Panel1, "DirectoryListBox1");
    DirectoryListBox1->setGeometry(16, 97, 393, 97);
    DirectoryListBox1->setModel(Folders);
    DirectoryListBox1->setHeaderHidden(true);
    for (int column = 1; column < Folders->columnCount(); ++column) {
        DirectoryListBox1->hideColumn(column);
    }
    DirectoryListBox1->setSortingEnabled(true);
    DirectoryListBox1->sortByColumn(0, Qt::AscendingOrder);
    connect(DirectoryListBox1->selectionModel(), &QItemSelectionModel::currentChanged, this,
            &TMain::DriveComboBox1Change);

    DriveComboBox1 = Make<QComboBox>(Panel1, "DriveComboBox1");
    DriveComboBox1->setGeometry(16, 198, 393, 24);
    FillPlaces();
    connect(DriveComboBox1, &QComboBox::activated, this, [this](int index) {
        ShowPlace(DriveComboBox1->itemData(index).toString());
        DriveComboBox1Change();
    });
}

// The places stand where the drives stood: the home folder, the root of the
// file system, and every further writable volume that is mounted.
void TMain::FillPlaces() {
    const QString home = QDir::homePath();
    DriveComboBox1->addItem(QStringLiteral("Persönlicher Ordner (%1)").arg(home), home);
    if (home != QStringLiteral("/")) {
        DriveComboBox1->addItem(QStringLiteral("Rechner (/)"), QStringLiteral("/"));
    }
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
        const QString root = volume.rootPath();
        if (!volume.isValid() || !volume.isReady() || volume.isReadOnly() ||
            !volume.device().startsWith("/dev/") || root == QStringLiteral("/") || root == home ||
            root.startsWith(QStringLiteral("/boot"))) {
            continue;
        }
        const QString name = volume.displayName();
        DriveComboBox1->addItem(name == root ? root : QStringLiteral("%1 (%2)").arg(name, root),
                                root);
    }
}

void TMain::ShowPlace(const QString& place) {
    DirectoryListBox1->setRootIndex(Folders->setRootPath(place));
    DirectoryListBox1->setCurrentIndex(QModelIndex());
}

void TMain::FormCreate() {
    Page = 1;
    TimerTicks = 0;
    InstallOk = false;
    SourceDirectory = SourceDirectoryFrom(QDir::currentPath());
    DriveComboBox1->setCurrentIndex(0);
    ShowPlace(DriveComboBox1->currentData().toString());
    DriveComboBox1Change();
}

void TMain::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    // A window brought back from the task bar is not shown anew.
    if (!event->spontaneous()) {
        FormShow();
    }
}

void TMain::FormShow() {
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
    ShowWelcomePage();
}

void TMain::closeEvent(QCloseEvent* event) {
    FormClose();
    event->accept();
}

void TMain::DriveComboBox1Change() {
    const QModelIndex current = DirectoryListBox1->currentIndex();
    const QString folder =
        current.isValid() ? Folders->filePath(current) : DriveComboBox1->currentData().toString();
    edPfad->setText(TargetPathFor(folder));
}

void TMain::ShowWelcomePage() {
    lbTitel->setText(QStringLiteral("Willkommen bei der Installation von Kolvaro"));
    lbTitel->adjustSize();
    DriveComboBox1->hide();
    DirectoryListBox1->hide();
    edPfad->hide();
    lbUntertitel->hide();
    pgrBar->setValue(0);
    pnProgress->hide();
    lbProgress->hide();
    Memo->show();
    pnFertig->hide();
}

void TMain::ShowFolderPage() {
    lbTitel->setText(QStringLiteral("Installationsverzeichnis wählen"));
    lbTitel->adjustSize();
    DriveComboBox1->show();
    DirectoryListBox1->show();
    edPfad->show();
    Memo->hide();
    lbUntertitel->setText(kUntertitel);
    lbUntertitel->adjustSize();
    lbUntertitel->show();
}

void TMain::ShowShortcutStep() {
    lbTitel->setText(QStringLiteral("Verknüpfung auf Desktop wird erstellt."));
    lbTitel->adjustSize();
    repaint();
}

void TMain::ShowFinishPage() {
    lbTitel->setText(QStringLiteral("Die Installation ist abgeschlossen."));
    lbUntertitel->hide();
    pnFertig->show();
    pnProgress->hide();
    lbProgress->hide();
    Timer->stop();
    btnAbbrechen->setEnabled(true);
    btnAbbrechen->setText(QStringLiteral("&Fertig"));
    Label6->show();
    if (!InstallOk) {
        lbTitel->setText(QStringLiteral("Die Installation wurde nicht vollständig ausgeführt."));
        Label8->setText(QStringLiteral(
            "Das Programm Kolvaro konnte nicht auf Ihrem Computer installiert werden."));
        Label5->setText(QString());
        Label6->setText(
            QStringLiteral("Zum Beenden des Installationsassistenten drücken Sie Fertig"));
        Label8->adjustSize();
        Label5->adjustSize();
        Label6->adjustSize();
    }
    lbTitel->adjustSize();
}

void TMain::btnWeiterClick() {
    // The folder page is asked first, so that one click never moves two pages.
    if (Page == 2) {
        btnWeiter->hide();
        btnZurueck->hide();
        Timer->start();
        Page = 4;
        InstallFiles();
    } else if (Page == 1) {
        ShowFolderPage();
        btnZurueck->show();
        Page = 2;
    }
}

void TMain::btnZurueckClick() {
    if (Page == 2) {
        ShowWelcomePage();
        btnZurueck->hide();
        Page = 1;
    }
}

void TMain::btnAbbrechenClick() {
    close();
}

// The progress shown while installing is only a display: the copy is done
// before the first event, the shortcuts when the window closes.
void TMain::TimerTimer() {
    ++TimerTicks;
    pgrBar->setValue(pgrBar->value() + 1);
    if (TimerTicks == 2) {
        Timer->setInterval(5000);
    }
    if (TimerTicks == 4) {
        ShowShortcutStep();
    }
    if (TimerTicks == 5) {
        ShowFinishPage();
    }
}

}  // namespace kolvaro::setup
