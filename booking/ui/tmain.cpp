#include "tmain.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QDir>
#include <QEvent>
#include <QFrame>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QSignalBlocker>
#include <QStyle>
#include <QTableWidget>
#include <QUrl>
#include <algorithm>

#include "bookings/publisher.h"
#include "bookings/totals.h"
#include "celldrawer.h"
#include "data/calendar.h"
#include "data/durable_file.h"
#include "data/failure.h"
#include "data/time_text.h"
#include "dialogs.h"
#include "maskededit.h"
#include "qt_text.h"
#include "updowncontrol.h"

namespace {

QFont ArialFont(int points, bool bold) {
    QFont font(QStringLiteral("Arial"), points);
    font.setBold(bold);
    return font;
}

void SetBackground(QWidget* widget, const QColor& colour) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, colour);
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

void SetTextColour(QWidget* widget, const QColor& colour) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, colour);
    widget->setPalette(palette);
}

QFrame* MakePanel(QWidget* parent, const char* name, const QRect& geometry, QFrame::Shadow shadow) {
    auto* panel = new QFrame(parent);
    panel->setObjectName(QLatin1String(name));
    panel->setGeometry(geometry);
    panel->setFrameShape(shadow == QFrame::Plain ? QFrame::NoFrame : QFrame::Panel);
    panel->setFrameShadow(shadow);
    return panel;
}

QLabel* MakeLabel(QWidget* parent, const char* name, const QString& text, int left, int top,
                  bool bold = false) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(QLatin1String(name));
    if (bold) {
        QFont font = label->font();
        font.setBold(true);
        label->setFont(font);
    }
    label->move(left, top);
    label->adjustSize();
    return label;
}

QIcon Glyph(const QWidget* widget, const char* themeName, QStyle::StandardPixmap fallback) {
    // The style's own icon only where the theme has none: made in advance, it
    // would decode its images at every start for nothing.
    QIcon glyph = QIcon::fromTheme(QLatin1String(themeName));
    // As QIcon::fromTheme with a fallback decides.
    return glyph.isNull() || glyph.availableSizes().isEmpty()
               ? widget->style()->standardIcon(fallback)
               : glyph;
}

QPushButton* MakeButton(QWidget* parent, const char* name, const QString& caption,
                        const QRect& geometry, const QString& hint, const QIcon& glyph) {
    auto* button = new QPushButton(glyph, caption, parent);
    button->setObjectName(QLatin1String(name));
    button->setGeometry(geometry);
    button->setToolTip(hint);
    button->setAutoDefault(false);
    return button;
}

MaskedEdit* MakeTimeField(QWidget* parent, const char* name, int left) {
    auto* field = new MaskedEdit(MaskedEdit::Kind::Time, parent);
    field->setObjectName(QLatin1String(name));
    field->setGeometry(left, 4, 35, 21);
    field->setRequired(true);
    return field;
}

QTableWidget* MakeGrid(QWidget* parent, const char* name, const QRect& geometry,
                       const std::vector<int>& widths) {
    auto* grid = new QTableWidget(32, static_cast<int>(widths.size()), parent);
    grid->setObjectName(QLatin1String(name));
    grid->setGeometry(geometry);
    grid->setFrameShape(QFrame::NoFrame);
    grid->horizontalHeader()->hide();
    grid->verticalHeader()->hide();
    grid->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    grid->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->setSelectionMode(QAbstractItemView::SingleSelection);
    grid->setSelectionBehavior(QAbstractItemView::SelectItems);
    grid->setFont(ArialFont(8, true));
    // A Qt section holds the cell and its grid line: 16 pixels of cell and one
    // of line, as the grids have always been laid out.
    grid->verticalHeader()->setMinimumSectionSize(1);
    grid->verticalHeader()->setDefaultSectionSize(17);
    grid->horizontalHeader()->setMinimumSectionSize(1);
    for (int column = 0; column < static_cast<int>(widths.size()); ++column) {
        grid->setColumnWidth(column, widths[column]);
    }
    return grid;
}

}  // namespace

TMain::TMain(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("Main"));
    setWindowTitle(QStringLiteral("Kolvaro"));
    setWindowFlags(Qt::Window | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setFixedSize(650, 579);
    setFont(QFont(QStringLiteral("Liberation Sans"), 8));
    CreateComponents();
    ConnectHandlers();
    try {
        FormCreate();
    } catch (const std::exception& failure) {
        // The window stays; what went wrong is reported as anywhere else.
        CurrentDialogs().ShowError(this, QString::fromUtf8(failure.what()));
    }
}

TMain::~TMain() {
    FormDestroy();
}

void TMain::CreateComponents() {
    Panel1 = MakePanel(this, "Panel1", QRect(0, 0, 650, 549), QFrame::Raised);
    // The bottom panel sits on the window's lower edge.
    Panel8 = MakePanel(this, "Panel8", QRect(0, 579 - 28, 650, 28), QFrame::Raised);

    // The employee list and the editor.
    lstMitarbeiter = new QListWidget(Panel1);
    lstMitarbeiter->setObjectName(QStringLiteral("lstMitarbeiter"));
    lstMitarbeiter->setGeometry(4, 8, 281, 305);
    lstMitarbeiter->setSelectionMode(QAbstractItemView::SingleSelection);
    lstMitarbeiter->setUniformItemSizes(true);
    lstMitarbeiter->viewport()->installEventFilter(this);

    btnNeu = MakeButton(Panel1, "btnNeu", QStringLiteral("&neuer Mitarbeiter"),
                        QRect(8, 320, 129, 25), QStringLiteral("neuen Mitarbeiter anlegen"),
                        Glyph(this, "document-new", QStyle::SP_FileIcon));
    btnSpeichern =
        MakeButton(Panel1, "btnSpeichern", QStringLiteral("&Speichern"), QRect(160, 320, 126, 25),
                   QStringLiteral("geänderte Daten dieses Mitarbeiters speichern"),
                   Glyph(this, "document-save", QStyle::SP_DialogSaveButton));
    btnLoeschen = MakeButton(Panel1, "btnLoeschen", QStringLiteral("&Löschen"),
                             QRect(8, 352, 129, 25), QStringLiteral("Mitarbeiter löschen"),
                             Glyph(this, "edit-delete", QStyle::SP_TrashIcon));
    btnAbbrechen =
        MakeButton(Panel1, "btnAbbrechen", QStringLiteral("&Abbrechen"), QRect(160, 352, 126, 25),
                   QStringLiteral("Bearbeiten abbrechen ohne Speichern"),
                   Glyph(this, "edit-undo", QStyle::SP_DialogCancelButton));
    btnSpeichern->setEnabled(false);
    btnLoeschen->setEnabled(false);
    btnAbbrechen->setEnabled(false);

    Panel2 = MakePanel(Panel1, "Panel2", QRect(4, 394, 281, 57), QFrame::Sunken);
    Label1 = MakeLabel(Panel2, "Label1", QStringLiteral("Nummer"), 8, 8);
    Label2 = MakeLabel(Panel2, "Label2", QStringLiteral("Name"), 8, 32);
    edNummer = new MaskedEdit(MaskedEdit::Kind::Number, Panel2);
    edNummer->setObjectName(QStringLiteral("edNummer"));
    edNummer->setGeometry(50, 4, 33, 21);
    edName = new QLineEdit(Panel2);
    edName->setObjectName(QStringLiteral("edName"));
    edName->setGeometry(50, 28, 225, 21);

    // Working days.
    Label3 = MakeLabel(Panel1, "Label3", QStringLiteral("Arbeitstage"), 8, 274, true);
    QCheckBox** days[] = {&chkMo, &chkDi, &chkMi, &chkDo, &chkFr, &chkSa, &chkSo};
    for (int i = 0; i < 7; ++i) {
        const QString key = QLatin1String(kolvaro::kDayKeys[static_cast<std::size_t>(i)]);
        auto* box = new QCheckBox(key, Panel1);
        box->setObjectName(QStringLiteral("chk") + key);
        box->setGeometry(8 + 40 * i, 296, 41, 17);
        *days[i] = box;
    }

    // The four time windows.
    struct Window {
        QFrame** panel;
        const char* panelName;
        int top;
        const char* title;
        QLabel** labels[3];
        const char* labelNames[3];
        MaskedEdit** from;
        const char* fromName;
        MaskedEdit** to;
        const char* toName;
    };
    const Window windows[] = {
        {&Panel3,
         "Panel3",
         320,
         "Beginn Arbeitszeit",
         {&Label4, &Label5, &Label6},
         {"Label4", "Label5", "Label6"},
         &edBeginnVon,
         "edBeginnVon",
         &edBeginnBis,
         "edBeginnBis"},
        {&Panel5,
         "Panel5",
         344,
         "Beginn Pause",
         {&Label7, &Label8, &Label9},
         {"Label7", "Label8", "Label9"},
         &edPauseBeginnVon,
         "edPauseBeginnVon",
         &edPauseBeginnBis,
         "edPauseBeginnBis"},
        {&Panel4,
         "Panel4",
         370,
         "Ende Pause",
         {&Label10, &Label11, &Label12},
         {"Label10", "Label11", "Label12"},
         &edPauseEndeVon,
         "edPauseEndeVon",
         &edPauseEndeBis,
         "edPauseEndeBis"},
        {&Panel6,
         "Panel6",
         394,
         "Ende Arbeitszeit",
         {&Label13, &Label14, &Label15},
         {"Label13", "Label14", "Label15"},
         &edEndeVon,
         "edEndeVon",
         &edEndeBis,
         "edEndeBis"},
    };
    for (const Window& w : windows) {
        QFrame* panel = MakePanel(Panel1, w.panelName, QRect(4, w.top, 281, 28), QFrame::Plain);
        SetBackground(panel, QColor(247, 247, 247));
        *w.panel = panel;
        *w.labels[0] = MakeLabel(panel, w.labelNames[0], QString::fromUtf8(w.title), 8, 8, true);
        *w.labels[1] = MakeLabel(panel, w.labelNames[1], QStringLiteral("von:"), 136, 8);
        *w.labels[2] = MakeLabel(panel, w.labelNames[2], QStringLiteral("bis:"), 216, 8);
        *w.from = MakeTimeField(panel, w.fromName, 160);
        *w.to = MakeTimeField(panel, w.toName, 236);
    }

    // The period: two dates with calendar buttons in generation mode, a month
    // and a year in journal mode on a panel that covers them.
    Bevel1 = new QFrame(Panel1);
    Bevel1->setObjectName(QStringLiteral("Bevel1"));
    Bevel1->setFrameShape(QFrame::HLine);
    Bevel1->setFrameShadow(QFrame::Sunken);
    Bevel1->setGeometry(4, 458, 281, 2);
    Label17 = MakeLabel(Panel1, "Label17", QStringLiteral("Zeitraum"), 8, 464, true);
    Label18 = MakeLabel(Panel1, "Label18", QStringLiteral("von:"), 8, 488);
    Label19 = MakeLabel(Panel1, "Label19", QStringLiteral("bis:"), 148, 488);
    edDatumVon = new QLineEdit(Panel1);
    edDatumVon->setObjectName(QStringLiteral("edDatumVon"));
    edDatumVon->setGeometry(34, 484, 63, 21);
    edDatumBis = new QLineEdit(Panel1);
    edDatumBis->setObjectName(QStringLiteral("edDatumBis"));
    edDatumBis->setGeometry(172, 484, 63, 21);
    for (QLineEdit* date : {edDatumVon, edDatumBis}) {
        date->setReadOnly(true);
    }
    const QIcon calendar = Glyph(this, "x-office-calendar", QStyle::SP_FileDialogContentsView);
    btnVon = MakeButton(Panel1, "btnVon", QString(), QRect(99, 484, 21, 21),
                        QStringLiteral("Datum aus Kalender auswählen"), calendar);
    btnBis = MakeButton(Panel1, "btnBis", QString(), QRect(237, 484, 21, 21),
                        QStringLiteral("Datum aus Kalender auswählen"), calendar);

    pnZeitraum = MakePanel(Panel1, "pnZeitraum", QRect(4, 480, 281, 30), QFrame::Plain);
    SetBackground(pnZeitraum, palette().color(QPalette::Window));
    cbxMonat = new QComboBox(pnZeitraum);
    cbxMonat->setObjectName(QStringLiteral("cbxMonat"));
    cbxMonat->setEditable(false);
    for (int month = 1; month <= 12; ++month) {
        cbxMonat->addItem(FromStd(kolvaro::MonthName(month)));
    }
    cbxMonat->setFont(ArialFont(10, true));
    cbxMonat->setGeometry(4, 3, 140, 24);
    edJahr = new QLineEdit(pnZeitraum);
    edJahr->setObjectName(QStringLiteral("edJahr"));
    edJahr->setReadOnly(true);
    edJahr->setFont(ArialFont(10, true));
    edJahr->setGeometry(152, 3, 52, 24);
    UpDown = new UpDownControl(pnZeitraum);
    UpDown->setObjectName(QStringLiteral("UpDown"));
    UpDown->setGeometry(204, 3, 17, 24);
    UpDown->setRange(2000, 2099);
    // A closed month is marked beside the heading above it, in red as the
    // weekend days; hidden while the month is open.
    lbAbgeschlossen =
        MakeLabel(Panel1, "lbAbgeschlossen", QStringLiteral("abgeschlossen"), 0, 464, true);
    SetTextColour(lbAbgeschlossen, QColor(255, 0, 0));
    lbAbgeschlossen->move(285 - lbAbgeschlossen->width(), 464);
    lbAbgeschlossen->hide();
    PopupMonat = new QMenu(this);
    PopupMonat->setObjectName(QStringLiteral("PopupMonat"));
    monatabschliessen1 = PopupMonat->addAction(QStringLiteral("Monat abschließen"));
    monatabschliessen1->setObjectName(QStringLiteral("monatabschliessen1"));
    monatwiederoeffnen1 = PopupMonat->addAction(QStringLiteral("Monat wieder öffnen"));
    monatwiederoeffnen1->setObjectName(QStringLiteral("monatwiederoeffnen1"));

    // The grids of the period and the cell editor over the booking grid.
    GridDatum = MakeGrid(Panel1, "GridDatum", QRect(314, 1, 93, 547), {26, 67});
    GridDatum->setShowGrid(false);  // its cells draw their own lines
    GridDatum->setEnabled(false);
    Grid = MakeGrid(Panel1, "Grid", QRect(408, 1, 241, 547), {39, 39, 39, 39, 39, 45});
    Grid->setTabKeyNavigation(true);
    Grid->setEnabled(false);
    GridDatum->setItemDelegate(new CellDrawer(
        [this](QPainter& canvas, int col, int row, const QRect& rect, bool selected) {
            GridDatumDrawCell(canvas, col, row, rect, selected);
        },
        false, GridDatum));
    Grid->setItemDelegate(
        new CellDrawer([this](QPainter& canvas, int col, int row, const QRect& rect,
                              bool selected) { GridDrawCell(canvas, col, row, rect, selected); },
                       true, Grid));
    meGridEdit = new MaskedEdit(MaskedEdit::Kind::Time, Panel1);
    meGridEdit->setObjectName(QStringLiteral("meGridEdit"));
    meGridEdit->setFrame(false);
    meGridEdit->setGeometry(409, 2, 38, 16);
    SetBackground(meGridEdit, QColor(0, 255, 255));
    {
        QPalette palette = meGridEdit->palette();
        palette.setColor(QPalette::Base, QColor(0, 255, 255));
        meGridEdit->setPalette(palette);
    }
    meGridEdit->hide();

    // The actions of the period.
    btnBuchungenErzeugen = MakeButton(
        Panel1, "btnBuchungenErzeugen", QStringLiteral("&Buchungen erzeugen"),
        QRect(8, 520, 160, 25), QStringLiteral("Buchungen für ausgewählten Mitarbeiter erzeugen"),
        Glyph(this, "system-run", QStyle::SP_MediaPlay));
    btnDrucken = MakeButton(Panel1, "btnDrucken", QStringLiteral("Journal &drucken"),
                            QRect(8, 520, 160, 25), QStringLiteral("Monatsjournal drucken"),
                            Glyph(this, "document-print", QStyle::SP_FileDialogDetailedView));
    btnExport = MakeButton(Panel1, "btnExport", QStringLiteral("&Export"), QRect(180, 520, 105, 25),
                           QStringLiteral("Buchungen an Dorvane übergeben"),
                           Glyph(this, "document-send", QStyle::SP_ArrowRight));
    // Enabled once a period is accepted.
    btnBuchungenErzeugen->setEnabled(false);
    btnDrucken->setEnabled(false);
    btnExport->setEnabled(false);
    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    exportierennach1 = PopupMenu1->addAction(QStringLiteral("exportieren nach ..."));
    exportierennach1->setObjectName(QStringLiteral("exportierennach1"));
    CreateHolidayMenu();
    CreateMonthEndMenu();

    // The bottom line: the publisher and the total.
    lbQVX = new QLabel(FromStd(kolvaro::kPublisherLine), Panel8);
    lbQVX->setObjectName(QStringLiteral("lbQVX"));
    lbQVX->setGeometry(3, 3, 300, 22);
    lbQVX->setFont(ArialFont(8, true));
    lbQVX->setIndent(6);
    SetBackground(lbQVX, QColor(0, 0, 255));
    SetTextColour(lbQVX, Qt::white);
    lbQVX->setCursor(Qt::PointingHandCursor);
    lbQVX->setToolTip(QStringLiteral("Besuchen Sie uns im Internet: ") +
                      FromStd(kolvaro::kPublisherUrl));
    lbQVX->installEventFilter(this);
    btnExport->installEventFilter(this);

    lbStunden = new QLabel(FromStd(kolvaro::kNoTotalCaption), Panel8);
    lbStunden->setObjectName(QStringLiteral("lbStunden"));
    lbStunden->setGeometry(314, 3, 333, 22);
    lbStunden->setFrameShape(QFrame::Panel);
    lbStunden->setFrameShadow(QFrame::Sunken);
    lbStunden->setFont(ArialFont(10, true));
    lbStunden->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    SetBackground(lbStunden, QColor(255, 255, 0));
    SetTextColour(lbStunden, Qt::black);
    Label16 = MakeLabel(lbStunden, "Label16", QStringLiteral("Gesamt-Summe:"), 6, 3);
    Label16->setFont(ArialFont(10, true));
    Label16->adjustSize();
    Label16->move(6, (22 - Label16->height()) / 2);

    // The order in which Tab walks the window.
    QWidget* const tabOrder[] = {edNummer,
                                 edName,
                                 chkMo,
                                 chkDi,
                                 chkMi,
                                 chkDo,
                                 chkFr,
                                 chkSa,
                                 chkSo,
                                 edBeginnVon,
                                 edBeginnBis,
                                 edPauseBeginnVon,
                                 edPauseBeginnBis,
                                 edPauseEndeVon,
                                 edPauseEndeBis,
                                 edEndeVon,
                                 edEndeBis,
                                 btnSpeichern,
                                 btnAbbrechen,
                                 lstMitarbeiter,
                                 btnNeu,
                                 btnLoeschen};
    for (std::size_t i = 1; i < std::size(tabOrder); ++i) {
        setTabOrder(tabOrder[i - 1], tabOrder[i]);
    }
}

void TMain::ConnectHandlers() {
    connect(lstMitarbeiter, &QListWidget::currentRowChanged, this, &TMain::lstMitarbeiterClick);
    connect(lstMitarbeiter, &QListWidget::itemClicked, this, &TMain::lstMitarbeiterItemClicked);
    connect(btnNeu, &QPushButton::clicked, this, &TMain::btnNeuClick);
    connect(btnSpeichern, &QPushButton::clicked, this, &TMain::btnSpeichernClick);
    connect(btnAbbrechen, &QPushButton::clicked, this, &TMain::btnAbbrechenClick);
    connect(btnLoeschen, &QPushButton::clicked, this, &TMain::btnLoeschenClick);
    for (QLineEdit* field : EditorTextFields()) {
        connect(field, &QLineEdit::textChanged, this, &TMain::edNummerChange);
    }
    for (QCheckBox* box : {chkMo, chkDi, chkMi, chkDo, chkFr, chkSa, chkSo}) {
        connect(box, &QCheckBox::toggled, this, &TMain::edNummerChange);
    }
    connect(meGridEdit, &QLineEdit::textChanged, this, &TMain::edNummerChange);

    connect(btnVon, &QPushButton::clicked, this, &TMain::btnVonClick);
    connect(btnBis, &QPushButton::clicked, this, &TMain::btnBisClick);
    connect(edDatumVon, &QLineEdit::textChanged, this, &TMain::edDatumVonChange);
    connect(edDatumBis, &QLineEdit::textChanged, this, &TMain::edDatumVonChange);
    connect(cbxMonat, &QComboBox::currentIndexChanged, this, &TMain::cbxMonatChange);
    connect(edJahr, &QLineEdit::textChanged, this, &TMain::cbxMonatChange);
    connect(UpDown, &UpDownControl::positionChanged, this, &TMain::UpDownChanged);
    edJahr->installEventFilter(this);
    connect(Grid, &QTableWidget::cellDoubleClicked, this, &TMain::GridDblClick);
    Grid->installEventFilter(this);
    GridDatum->installEventFilter(this);
    // The date grid takes no input, but its right-click still reaches a filter.
    GridDatum->viewport()->installEventFilter(this);
    meGridEdit->installEventFilter(this);
    connect(meGridEdit, &MaskedEdit::exited, this, &TMain::meGridEditExit);

    connect(btnBuchungenErzeugen, &QPushButton::clicked, this, &TMain::btnBuchungenErzeugenClick);
    connect(btnExport, &QPushButton::clicked, this, &TMain::btnExportClick);
    connect(btnExport, &QPushButton::customContextMenuRequested, this,
            &TMain::btnExportContextMenu);
    connect(exportierennach1, &QAction::triggered, this, &TMain::exportierennach1Click);
    connect(btnDrucken, &QPushButton::clicked, this, &TMain::btnDruckenClick);
    for (QWidget* month : std::initializer_list<QWidget*>{pnZeitraum, cbxMonat, UpDown}) {
        month->installEventFilter(this);
    }
    connect(monatabschliessen1, &QAction::triggered, this, &TMain::monatabschliessen1Click);
    connect(monatwiederoeffnen1, &QAction::triggered, this, &TMain::monatwiederoeffnen1Click);
}

std::vector<QLineEdit*> TMain::EditorTextFields() const {
    return {edNummer,         edName,         edBeginnVon,    edBeginnBis, edPauseBeginnVon,
            edPauseBeginnBis, edPauseEndeVon, edPauseEndeBis, edEndeVon,   edEndeBis};
}

bool TMain::IsGenerationMode() const {
    return Ini && Ini->ReadMode() == kolvaro::Mode::Generation;
}

void TMain::FormCreate() {
    // The folder the program was started in holds its settings and month files.
    ProgramDirectory = QDir::currentPath().toStdString();
    SettingsOk = false;
    MonthLines.clear();

    const std::string separator = ProgramDirectory.ends_with('/') ? "" : "/";
    const std::string iniPath = ProgramDirectory + separator + "velmora.ini";
    Ini = std::make_unique<kolvaro::Settings>(iniPath);
    // The whole start-up is one operation: the settings file, which may hold
    // thousands of employees, is read once for all of it.
    const kolvaro::Settings::OneRead oneRead(Ini.get());
    try {
        SettingsOk = true;
        ExportDirectory = Ini->ReadExportDirectory(ProgramDirectory);
        LoadEmployeeList();
        if (kolvaro::ExistsButUnreadable(iniPath)) {
            TellLater(
                FromStd(kolvaro::FormatMessage(kolvaro::kUnreadableSettingsMessage, iniPath)));
        }
        if (lstMitarbeiter->count() > 0) {
            SelectEntry(0);
            lstMitarbeiterClick();
        }
        const char* const headings[] = {"Kommt", "Pause", "Pause", "Geht", "Tag", "Summe"};
        for (int column = 0; column < 6; ++column) {
            SetCell(Grid, 0, column, QLatin1String(headings[column]));
            // The heading row is fixed: neither a click nor a key makes it the
            // current row, so a typed time always has a day to go to.
            Grid->item(0, column)->setFlags(Qt::NoItemFlags);
        }
        SetCell(GridDatum, 0, 0, QString());
        SetCell(GridDatum, 0, 1, QStringLiteral("Datum"));
    } catch (const std::exception&) {
        CurrentDialogs().ShowMessage(
            this, QStringLiteral("Programmeinstellungen nicht gefunden.\n"
                                 "Überprüfen Sie, ob die Datei 'velmora.ini' im Verzeichnis '") +
                      QString::fromStdString(ProgramDirectory) +
                      QStringLiteral("' vorhanden ist.\n\nProgramm wird beendet."));
    }
    if (!SettingsOk) {
        return;
    }

    const bool generation = IsGenerationMode();
    ArrangeForMode(generation);
    if (!generation) {
        // Journal mode starts on the current month.
        const auto [month, year] = kolvaro::CurrentMonth();
        {
            const QSignalBlocker blockMonth(cbxMonat);
            const QSignalBlocker blockYear(edJahr);
            const QSignalBlocker blockUpDown(UpDown);
            cbxMonat->setCurrentIndex(month - 1);
            edJahr->setText(QString::number(year));
            UpDown->setPosition(year);
        }
        cbxMonatChange();
    }
    ShowControlsForMode(generation);
}

void TMain::ArrangeForMode(bool generation) {
    lstMitarbeiter->resize(lstMitarbeiter->width(), generation ? 113 : 305);
    btnNeu->move(btnNeu->x(), generation ? 128 : 320);
    btnSpeichern->move(btnSpeichern->x(), generation ? 128 : 320);
    btnLoeschen->move(btnLoeschen->x(), generation ? 160 : 352);
    btnAbbrechen->move(btnAbbrechen->x(), generation ? 160 : 352);
    Panel2->move(Panel2->x(), generation ? 208 : 394);
    for (QWidget* widget :
         std::initializer_list<QWidget*>{Label3, chkMo, chkDi, chkMi, chkDo, chkFr, chkSa, chkSo,
                                         Panel3, Panel4, Panel5, Panel6}) {
        widget->setVisible(generation);
    }
    pnZeitraum->setVisible(!generation);
    // The dates lie under the month panel in journal mode; hidden, no key or
    // click reaches them (a picked date would cut the month short).
    for (QWidget* widget : std::initializer_list<QWidget*>{Label18, Label19, edDatumVon, edDatumBis,
                                                           btnVon, btnBis}) {
        widget->setVisible(generation);
    }
}

void TMain::ShowControlsForMode(bool generation) {
    btnBuchungenErzeugen->setVisible(generation);
    btnDrucken->setVisible(!generation);
    btnDrucken->setContextMenuPolicy(generation ? Qt::NoContextMenu : Qt::CustomContextMenu);
    btnExport->setToolTip(generation ? QStringLiteral("Buchungen an Dorvane übergeben")
                                     : QString());
    btnExport->setContextMenuPolicy(generation ? Qt::CustomContextMenu : Qt::NoContextMenu);
    lbQVX->setVisible(!generation);
}

void TMain::btnExportContextMenu(const QPoint& position) {
    PopupMenu1->popup(btnExport->mapToGlobal(position));
}

void TMain::UpDownChanged(int position) {
    edJahr->setText(QString::number(position));
}

void TMain::FormShow() {
    if (!SettingsOk) {
        // Closed once the showing is over; as the main window this ends the program.
        QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
    }
}

void TMain::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!shown_) {
        shown_ = true;
        if (const QScreen* screen = this->screen()) {
            QRect frame = frameGeometry();
            frame.moveCenter(screen->availableGeometry().center());
            move(frame.topLeft());
        }
        FormShow();
    }
}

void TMain::FormDestroy() {
    MonthLines.clear();
    Ini.reset();
}

void TMain::lbQVXClick() {
    // Whether the desktop could open the site is not the program's concern.
    CurrentDialogs().OpenUrl(QUrl(FromStd(kolvaro::kPublisherUrl)));
}

bool TMain::eventFilter(QObject* watched, QEvent* event) {
    if (watched == lstMitarbeiter->viewport() && event->type() == QEvent::MouseButtonPress) {
        rowBeforePress_ = lstMitarbeiter->currentRow();
    }
    if (watched == btnExport && event->type() == QEvent::ContextMenu &&
        btnExport->contextMenuPolicy() == Qt::CustomContextMenu && !btnExport->isEnabled()) {
        // A disabled button ignores the request; the export folder can still
        // be chosen before anything was generated.
        btnExportContextMenu(static_cast<QContextMenuEvent*>(event)->pos());
        return true;
    }
    if (event->type() == QEvent::ContextMenu &&
        (watched == pnZeitraum || watched == cbxMonat || watched == edJahr || watched == UpDown)) {
        // The whole month panel opens the month's menu, the year field too
        // (it is read-only; its own menu would offer nothing).
        pnZeitraumContextMenu(static_cast<QContextMenuEvent*>(event)->globalPos());
        return true;
    }
    if (watched == Grid && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const Qt::KeyboardModifiers modifiers =
            key->modifiers() & (Qt::ControlModifier | Qt::ShiftModifier | Qt::AltModifier);
        if (key->key() == Qt::Key_Z && modifiers == Qt::ControlModifier) {
            GridUndo();
            return true;
        }
        if ((key->key() == Qt::Key_Y && modifiers == Qt::ControlModifier) ||
            (key->key() == Qt::Key_Z && modifiers == (Qt::ControlModifier | Qt::ShiftModifier))) {
            GridRedo();
            return true;
        }
    }
    if (watched == lbQVX && event->type() == QEvent::MouseButtonRelease) {
        if (static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
            lbQVXClick();
            return true;
        }
    } else if (watched == Grid && event->type() == QEvent::FocusIn) {
        // Coming into the grid lands on the first day, never on the headings.
        if (Grid->currentRow() < 1 && Grid->rowCount() > 1) {
            Grid->setCurrentCell(1, std::max(Grid->currentColumn(), 0));
        }
    } else if (watched == edJahr && event->type() == QEvent::KeyPress) {
        // The year field answers the arrow keys as its arrow buttons do.
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Up || key == Qt::Key_Down) {
            UpDown->setPosition(UpDown->position() + (key == Qt::Key_Up ? 1 : -1));
            return true;
        }
    } else if (watched == Grid && event->type() == QEvent::KeyPress) {
        const QString text = static_cast<QKeyEvent*>(event)->text();
        if (!text.isEmpty() && text.at(0).isPrint()) {
            GridKeyPress(text.at(0));
            return true;
        }
    } else if ((watched == Grid || watched == GridDatum) && event->type() == QEvent::KeyRelease) {
        GridKeyUp(static_cast<QKeyEvent*>(event)->key());
    } else if (watched == meGridEdit && event->type() == QEvent::KeyRelease) {
        meGridEditKeyUp(static_cast<QKeyEvent*>(event)->key());
    } else if (watched == GridDatum->viewport() && event->type() == QEvent::ContextMenu) {
        GridDatumContextMenu(static_cast<QContextMenuEvent*>(event)->globalPos());
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void TMain::SetCell(QTableWidget* grid, int row, int column, const QString& text) {
    QTableWidgetItem* item = grid->item(row, column);
    if (item == nullptr) {
        item = new QTableWidgetItem;
        grid->setItem(row, column, item);
    }
    item->setText(text);
}

QString TMain::CellText(const QTableWidget* grid, int row, int column) {
    const QTableWidgetItem* item = grid->item(row, column);
    return item != nullptr ? item->text() : QString();
}

void TMain::ClearCells(QTableWidget* grid) {
    for (int row = 1; row < grid->rowCount(); ++row) {
        for (int column = 0; column < grid->columnCount(); ++column) {
            if (QTableWidgetItem* item = grid->item(row, column)) {
                item->setText(QString());
            }
        }
    }
}

void TMain::ClearBookings() {
    ClearCells(Grid);
    // Whatever fills the grid next (another period, another employee, a
    // generation) starts a new history.
    history_.Reset();
    lbStunden->setText(FromStd(kolvaro::kNoTotalCaption));
}
