#pragma once

// The main window of the booking program: the employee list and editor on the
// left, the period and its bookings on the right, the total and the publisher
// line at the bottom.

#include <QWidget>
#include <array>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "bookings/edit_history.h"
#include "bookings/work_limits.h"
#include "data/settings.h"

class QCheckBox;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QMenu;
class QAction;
class QPainter;
class QPoint;
class QRect;
class QPrintDialog;
class QPrinter;
class QPushButton;
class QTableWidget;
class MaskedEdit;
class TKalender;
class UpDownControl;
namespace kolvaro {
struct JournalInput;
}

class TMain : public QWidget {
    Q_OBJECT

  public:
    // Takes the current working directory as the program directory and opens
    // the settings file there.
    explicit TMain(QWidget* parent = nullptr);
    ~TMain() override;

    // The calendar picker used by the date buttons and the month selection.
    void SetKalender(TKalender* kalender) { Kalender = kalender; }

    // For tests: the state start-up left behind.
    bool SettingsLoaded() const { return SettingsOk; }
    const std::string& ProgramDirectoryForTest() const { return ProgramDirectory; }
    const std::string& ExportDirectoryForTest() const { return ExportDirectory; }

    // Item data of the grids' day lines: whether a date cell's day is a
    // public holiday, and the mark of a "Tag" cell (LimitMark).
    static constexpr int HolidayRole = Qt::UserRole + 1;
    static constexpr int LimitMarkRole = Qt::UserRole + 2;
    enum LimitMark : int { NoMark = 0, NoteMark = 1, BreachMark = 2 };

    // Cell texts of the grids; a cell never written reads empty.
    static void SetCell(QTableWidget* grid, int row, int column, const QString& text);
    static QString CellText(const QTableWidget* grid, int row, int column);
    // Empties every cell below the heading row.
    static void ClearCells(QTableWidget* grid);

    // Components, named as everywhere in the program; each also carries its
    // name as object name.
    QFrame* Panel1;
    QFrame* Panel8;
    QLabel* lbQVX;
    QLabel* lbStunden;
    QLabel* Label16;

    QListWidget* lstMitarbeiter;
    QPushButton* btnNeu;
    QPushButton* btnSpeichern;
    QPushButton* btnLoeschen;
    QPushButton* btnAbbrechen;

    QFrame* Panel2;
    QLabel* Label1;
    QLabel* Label2;
    MaskedEdit* edNummer;
    QLineEdit* edName;

    QLabel* Label3;
    QCheckBox* chkMo;
    QCheckBox* chkDi;
    QCheckBox* chkMi;
    QCheckBox* chkDo;
    QCheckBox* chkFr;
    QCheckBox* chkSa;
    QCheckBox* chkSo;

    QFrame* Panel3;
    QFrame* Panel5;
    QFrame* Panel4;
    QFrame* Panel6;
    QLabel* Label4;
    QLabel* Label5;
    QLabel* Label6;
    QLabel* Label7;
    QLabel* Label8;
    QLabel* Label9;
    QLabel* Label10;
    QLabel* Label11;
    QLabel* Label12;
    QLabel* Label13;
    QLabel* Label14;
    QLabel* Label15;
    MaskedEdit* edBeginnVon;
    MaskedEdit* edBeginnBis;
    MaskedEdit* edPauseBeginnVon;
    MaskedEdit* edPauseBeginnBis;
    MaskedEdit* edPauseEndeVon;
    MaskedEdit* edPauseEndeBis;
    MaskedEdit* edEndeVon;
    MaskedEdit* edEndeBis;

    QFrame* Bevel1;
    QLabel* Label17;
    QLabel* Label18;
    QLabel* Label19;
    QLineEdit* edDatumVon;
    QLineEdit* edDatumBis;
    QPushButton* btnVon;
    QPushButton* btnBis;

    QFrame* pnZeitraum;
    QComboBox* cbxMonat;
    QLineEdit* edJahr;
    UpDownControl* UpDown;

    QTableWidget* GridDatum;
    QTableWidget* Grid;
    MaskedEdit* meGridEdit;

    QPushButton* btnBuchungenErzeugen;
    QPushButton* btnDrucken;
    QPushButton* btnExport;
    QMenu* PopupMenu1;
    QAction* exportierennach1;
    // The month's own menu (right click on the month and year) and the mark
    // of a closed month beside the heading "Zeitraum".
    QMenu* PopupMonat;
    QAction* monatabschliessen1;
    QAction* monatwiederoeffnen1;
    QLabel* lbAbgeschlossen;
    // Right-click on the date grid: the state whose public holidays are shown.
    QMenu* PopupFeiertage;
    QPrintDialog* PrintDialog = nullptr;  // made when first needed
    QMenu* PopupMenu2;                    // on btnDrucken: the journal as PDF, all employees
    QAction* alsPDFspeichern1;
    QAction* alleMitarbeiter1;

    TKalender* Kalender = nullptr;

    // Handlers.
    void FormCreate();
    void FormShow();
    void FormDestroy();
    void lbQVXClick();

    void lstMitarbeiterClick();
    void btnNeuClick();
    void btnSpeichernClick();
    void btnAbbrechenClick();
    void btnLoeschenClick();
    void edNummerChange();

    void btnVonClick();
    void btnBisClick();
    void edDatumVonChange();
    void cbxMonatChange();
    void GridDrawCell(QPainter& canvas, int col, int row, const QRect& rect, bool selected);
    void GridDatumDrawCell(QPainter& canvas, int col, int row, const QRect& rect, bool selected);
    void GridDblClick();
    void GridKeyPress(QChar key);
    void GridKeyUp(int key);
    void meGridEditKeyUp(int key);
    void meGridEditExit();
    void GridUndo();
    void GridRedo();
    void monatabschliessen1Click();
    void monatwiederoeffnen1Click();

    void btnBuchungenErzeugenClick();
    void btnExportClick();
    void exportierennach1Click();
    void btnDruckenClick();
    // The state chosen in the menu "Feiertage": a code, or empty for none.
    void FeiertageClick(const QString& code);
    void alsPDFspeichern1Click();
    void alleMitarbeiter1Click();

  protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void CreateComponents();
    void ConnectHandlers();
    std::vector<QLineEdit*> EditorTextFields() const;  // number, name, the eight times
    void lstMitarbeiterItemClicked(QListWidgetItem* item);
    void btnExportContextMenu(const QPoint& position);
    void UpDownChanged(int position);
    void LoadEmployeeList();
    void SelectEntry(int row);  // without running the list's handler
    void ArrangeForMode(bool generation);
    void ShowControlsForMode(bool generation);
    void SetEditorState(bool editing);
    bool IsGenerationMode() const;

    void PreparePeriod();
    // alignment: 0 left, 1 right, 2 centred
    void DrawCellText(QPainter& canvas, const QString& text, const QRect& rect, int alignment);
    void GenerateBookings();
    void LoadMonthFile();
    void CalculateTotals();
    // Journal mode: writes the change of one booking cell into the month file.
    void StoreCellChange(int row, int column);
    // Shows a message box after the event being handled.
    void TellLater(const QString& message);
    // The unreadable month file the user was last told about.
    std::string unreadableMonthTold_;
    void PrintJournal();
    kolvaro::JournalInput JournalInputFromWindow() const;  // the page of the month shown
    void CreateMonthEndMenu();
    void btnDruckenContextMenu(const QPoint& position);
    void ClearEditor();
    void ClearBookings();  // the booking grid's day rows and the total caption

    std::string ProgramDirectory;
    std::string ExportDirectory;
    std::unique_ptr<kolvaro::Settings> Ini;
    std::vector<std::string> MonthLines;
    bool SettingsOk = false;

    bool shown_ = false;
    // The texts lstMitarbeiter shows, in its order; only LoadEmployeeList fills it.
    std::vector<std::string> listEntries_;
    int rowBeforePress_ = -1;  // the selected entry when the mouse went down on the list
    // The stored time bounds that the time fields cannot show (written by
    // hand, say "7.30"): a field shows "  :  " for them and, unless the user
    // types a time there, saving writes them back as they were.
    std::array<std::optional<std::string>, 8> unshownTimeBounds_;

    // Period and grid
    void PickDate(QPushButton* button, QLineEdit* field);
    void OpenCellEditor(const QString& text, int caret);
    std::string CurrentMonthFileName() const;
    // False, with a message, while the journal grid shows nobody's month:
    // whatever were typed there could not be stored.
    bool GridTakesInput();
    // Every change of a booking cell goes this one way: the text goes into
    // the cell, the totals are recomputed, and in journal mode the change is
    // written into the month's change log and then the month file, under the
    // folder lock (see bookings/month_change.h). Throws what storing throws;
    // the grid then keeps the text, as with any month file not written.
    void ChangeCell(int row, int column, const QString& text);
    // A change the user made, for undo, then stored.
    void UserChangesCell(int row, int column, const QString& text);
    void pnZeitraumContextMenu(const QPoint& globalPosition);
    // Closes or reopens the month shown, after the question.
    void SetMonthClosed(bool closed);
    // Reads anew from the month's log whether it is closed and shows it.
    void ReadMonthClosed();
    // Disables Export when the editor shows another employee than the one
    // the bookings were drawn for.
    void ForgetBookingsOfAnother();
    // The number of the employee whose month the journal grid shows, taken
    // when the month was loaded; empty while it shows nobody's. The month
    // file is named after it, whatever the editor holds meanwhile.
    std::string monthNumber_;
    bool monthClosed_ = false;      // the month shown was closed; it takes no change
    kolvaro::EditHistory history_;  // the changes of the period shown, for undo and redo
    // The number the editor was filled with from the list; empty for a new employee.
    std::string editorNumber_;
    // The number of the employee the grid's bookings were drawn for.
    std::string generatedNumber_;
    int editRow_ = -1;  // the cell the open editor writes to; -1 while it is closed
    int editColumn_ = -1;

    // Generator, export and printing
  public:
    // The printer that the print dialog sets up, made when first needed. Tests
    // point it at a PDF file before they confirm the dialog.
    QPrinter* JournalPrinter();

    // The printer of the month-end run, kept apart from the single printout's
    // so that each keeps its own choice.
    QPrinter* MonthEndPrinter();

  private:
    // Public holidays and working-time limits
    struct DayNote {
        std::string holiday;  // the holiday's name, empty on other days
        std::vector<kolvaro::LimitFinding> findings;
    };
    // The notes of the grid's day lines (rows 1 and below), with the state
    // read anew from the settings file.
    std::vector<DayNote> DayNotes() const;
    // Shows the notes: holiday lines red with their names as tooltips, the
    // "Tag" cells of days that break a limit marked, the rules as tooltips.
    void ShowDayNotes();
    void GridDatumContextMenu(const QPoint& globalPosition);
    void CreateHolidayMenu();

    std::shared_ptr<QPrinter> MonthEndPrinterOwner;
    std::shared_ptr<QPrinter> Printer;               // outlives the dialog that refers to it
    std::shared_ptr<QPrintDialog> PrintDialogOwner;  // released before Printer
};
