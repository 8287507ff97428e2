// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// The main window: toolbar, six pages, status line; every handler of the system.
// Handlers are grouped by the file that implements them.
#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QMainWindow>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <vector>

#include "dji/camera_pick.h"
#include "dji/preflight.h"
#include "dji/profiles.h"
#include "litchi/editor.h"
#include "litchi/split.h"
#include "model/overlay.h"
#include "model/state.h"
#include "planning/edits.h"
#include "planning/params.h"
#include "planning/plan_cache.h"
#include "terrain/follow.h"

class QLabel;
class QPlainTextEdit;
class QTabWidget;
class QToolBar;
class QToolButton;
class QWidget;
class QMouseEvent;
class QWebEngineView;
class QWebEngineProfile;
class QVariant;
class QPushButton;
class QLineEdit;
class QCheckBox;
class QComboBox;
class QMenu;
class QStatusBar;
class QImage;
class QTableWidget;
class QCloseEvent;
class QMessageBox;
class QLockFile;
class QTimer;
class QDoubleSpinBox;

namespace korvale {
class ImageViewer;
class OverlayViewer;
class NumberBoxWidget;
class ProfileView;
class ElevationModel;
struct CoverageView;
struct ParamPageModel;
struct LitchiPageModel;
struct ToolState;
enum class Tool : unsigned char;
} // namespace korvale

class TMainForm : public QMainWindow {
    Q_OBJECT

  public:
    explicit TMainForm(QWidget* parent = nullptr);
    ~TMainForm() override;

    // ---- Seams for tests: modal messages and file dialogs ---------------------------------
    // Every modal message goes through ShowMessage; tests install a hook that records it
    // instead of opening a box. Every file dialog goes through AskFileName; a hook answers it
    // (an empty result means "cancelled").
    // PickName chooses a name to write to later and never asks whether to overwrite it.
    enum class FileDialogKind { Open, Save, PickName };
    enum class MessageIcon { Information, Warning, Critical };
    void ShowMessage(const QString& text);
    void ShowMessage(const QString& text, const QString& title, MessageIcon icon);
    QString AskFileName(FileDialogKind kind, const QString& title, const QString& current);
    // A yes/no question before something that cannot be undone; true means "go ahead".
    bool AskQuestion(const QString& text);
    // "1 Passpunkt", "3 Passpunkte": the count for questions about the map copy.
    static QString ControlPointCount(long long n);
    std::function<void(const QString&)> messageHook;
    std::function<QString(FileDialogKind, const QString&, const QString&)> fileDialogHook;
    // A choice among texts (which polygon of a file becomes the area) goes through AskChoice;
    // a hook answers it with one of the items (an empty result means "cancelled").
    QString AskChoice(const QString& title, const QString& label, const QStringList& items);
    std::function<QString(const QString&, const QStringList&)> choiceHook;
    std::function<bool(const QString&)> questionHook;
    // The title and icon of the last message; a handler names what failed with FailureTitle.
    QString messageTitle() const { return messageTitle_; }
    MessageIcon messageIcon() const { return messageIcon_; }
    // The file kinds the last file dialog offered ("KML (*.kml);;Alle Dateien (*)").
    QString fileDialogFilter() const { return fileDialogFilter_; }
    // The box ShowMessage opens: a long text shows its first and last lines and keeps the
    // whole of it in the scrollable details area, so the box fits any screen.
    QMessageBox* MakeMessageBox(const QString& text, const QString& title, MessageIcon icon);
    // Names, for the box of an error in the running handler, what failed ("Speichern
    // fehlgeschlagen"); Guard resets it for every handler.
    void FailureTitle(const QString& title) { failureTitle_ = title; }

    // ---- Unsaved changes, autosave and recovery (mainform_safety.cpp) ----------------------
    // The project (points, transformation, zone, map copy) differs from what was last saved or
    // loaded: the title shows "*". Closing, "Karte laden" and "Alle Punkte löschen" ask first.
    enum class UnsavedChoice { Save, Discard, Cancel };
    UnsavedChoice AskUnsaved(const QString& text);
    std::function<UnsavedChoice(const QString&)> unsavedHook;
    bool isDirty() const { return dirty_; }
    // Compares the project with the saved one and shows the result in the title.
    void NoteChanges();
    // Asks about unsaved changes before `what`; true when the work may go (saved, discarded
    // or nothing unsaved). "Speichern" writes to the project's own file; without one, to the
    // name field when `nameFieldIsTarget`, else to a name the dialog asks for.
    bool ConfirmDiscard(const QString& what, bool nameFieldIsTarget = true);
    // The autosave folder (the user's state folder), the autosave after planning steps and
    // every few minutes, and its offer at the next start after the program did not end.
    static QString AutosaveFolder();
    void Autosave();
    bool OfferRecovery();
    // A value typed outside a box's range: the status line says what the box holds now, and
    // a plan made with the old value of a planning box is taken away, so that strips, path and
    // pictures never show a plan of other values.
    void NumberBoxClamped(korvale::NumberBoxWidget* box, double entered);
    // The boxes of the two questions (unsaved changes: Speichern / Verwerfen / Abbrechen;
    // recovery: Wiederherstellen / Verwerfen), made here so that a test can look at them.
    enum class QuestionKind { Unsaved, Recovery };
    QMessageBox* MakeQuestionBox(QuestionKind kind, const QString& text);

    // ---- Status line ----------------------------------------------------------------------
    // An instruction holds until the next one; a result (a file written, a fit, a
    // measurement) holds only until the points change, then the line is cleared.
    void SetStatus(const QString& text, bool result = false);
    void PointsChanged();

    // ---- Files and settings (mainform.cpp) -------------------------------------------------
    // A file name without a folder refers to the last folder the user chose (at first the
    // documents folder), not to the working directory.
    QString FilePath(const QString& name) const;
    void RememberFolder(const QString& path);
    const QString& lastFolder() const { return lastFolder_; }
    // Values of the pages, file names, the last folder and the window's geometry.
    void LoadSettings();
    void SaveSettings() const;
    // Keeps the window, with its frame, on the screen it opens on.
    void FitToScreen();

    // Runs a handler body; a korvale::Error (or any std::exception) ends it and its text is
    // shown as a modal message. What was done before stays done.
    void Guard(const std::function<void()>& body);

    korvale::State& state() { return state_; }
    const korvale::Overlay& overlay() const { return overlay_; }
    // The plan "Calc Raster" computed, shared by the writer buttons while its inputs stay.
    const korvale::PlanCache& plans() const { return plans_; }

    // ---- Start-up (mainform.cpp) -----------------------------------------------------------
    void FormCreate();

    // ---- Toolbar (mainform.cpp) ------------------------------------------------------------
    void ButtonMapCopyClick();
    void ButtonTrafoClick();
    void ButtonBorderClick();
    void ButtonFreelineClick();
    void ButtonPOIClick();
    void ButtonPolyClick();
    void ButtonMoveClick();
    void ButtonPtDelClick();
    void ButtonMessenClick();
    void ButtonAreaClick();
    void ButtonDelAllClick();
    void ButtonHelpClick();
    // "Sperrfläche" (mainform_zones.cpp): presses on the map add the corners of an exclusion
    // zone; each press of the button begins a new one.
    void ButtonZoneClick();
    void ZonePress(float xb, float yb);
    void ShowZones();

    // ---- Web map and clipboard (webmap.cpp) -----------------------------------------------
    void TabItemMapsDblClick();
    void ReadClipboardPoint(float xb, float yb);
    // Makes `image` the map copy (copy button, dropped or pasted image).
    void SetMapCopy(const QImage& image);
    // A PNG or JPEG file dropped on the map copy page becomes the map copy; any other file is
    // refused with a message.
    void DropMapFile(const QString& path);
    // Ctrl+V on the map copy page: an image on the clipboard becomes the map copy.
    void PasteMapCopy();
    // Makes `image` the map copy after asking, when control points are tied to the old one.
    // Returns false when the user kept the old map copy.
    bool ReplaceMapCopy(const QImage& image);
    // Creates WebBrowser1 on first use (showing its page, a double click, the copy button).
    void EnsureWebBrowser();
    // The browser's rendering at the view's size in widget pixels.
    QImage GrabWebMap() const;

    // ---- Tile-map source of the web map page (tilepage.cpp) -------------------------------
    struct TileSource {
        QString name;
        QString url; // template with {z}, {x}, {y}
        QString attribution;
        int maxZoom = 19;
    };
    // OpenStreetMap, then the sources added in the settings.
    std::vector<TileSource> TileSources() const;
    // Shows tile source i on the web map page; the tab caption is its name.
    void ShowTileSource(int i);
    // Back to the pages of the web services (Bing Maps, Google Maps).
    void LeaveTileSource();
    int tileSource() const { return tileSource_; } // -1: not a tile map
    // Cp on a tile map: asks the page for its view; TileViewArrived makes the copy, its five
    // control points and the fit.
    void TileMapCopy();
    void TileViewArrived(const QVariant& reply);
    // Milliseconds from the last Cp on a tile map to its fitted transformation (-1: none yet).
    double tileCopyMs() const { return tileCopyMs_; }
    // The browser profile of the web map page: disk cache, the program's name for tile servers.
    static QWebEngineProfile* WebProfile();

    // Zoom of the map copy page: fit the whole map copy, or one map pixel per screen pixel.
    void FitMapToWindow();
    void MapActualSize();

    // ---- Mouse on the map copy (mouse.cpp) ------------------------------------------------
    enum class MouseButton { Left, Right, Middle };
    void ImageViewer2MouseDown(QObject* sender, MouseButton button, float X, float Y);
    void ImageViewer2MouseUp(QObject* sender, MouseButton button, float X, float Y);
    int SelPoint(float x, float y) const;
    // The pressed tool buttons as plain values.
    korvale::ToolState Tools() const;
    // Undo and redo of point edits (Ctrl+Z; Ctrl+Y or Ctrl+Shift+Z; the toolbar's context
    // menu): the state comes back from the history, the map copy is redrawn, the status line
    // says what was undone or redone.
    void EditUndo();
    void EditRedo();
    korvale::UndoHistory& history() { return history_; }

    // ---- Overlay drawing (drawing.cpp) ----------------------------------------------------
    void ShowPoints();
    void ShowBorder();
    void ShowFreeline();
    void DisplayBorderLine();
    void DisplayFreeline();
    void Showgrafik();
    void TabItemKarteClick();
    void BringMapToFront();

    // ---- Control-point quality on the protocol page (mainform_quality.cpp) ----------------
    // The residual table under Memo1 and its caption; a check box per control point switches
    // it on or off for the fit.
    QLabel* LabelQuality = nullptr;
    QTableWidget* TableResiduals = nullptr;
    void ShowQuality();   // fills caption and table from the current points
    void ShowResiduals(); // residual arrows over the map copy, once a transformation exists
    void ResidualSwitched(int row, bool use);

    // ---- Parameter page and planning (mainform_planning.cpp) ------------------------------
    void Rechnen();
    void NumberBoxHChange();
    void NumberBoxPChange();
    void NumberBoxQChange();
    void NumberBoxVChange();
    void CheckBoxFormatClick();
    void SetBorderPointer();
    void SetFreeLine();
    void FlightLines();
    void CalcFlugWeg();
    void ButtonWayptsClick();
    // "Alfa auto" (mainform_angle.cpp): the direction of the fewest lines, then planned.
    void ButtonAlfaAutoClick();

    // ---- DXF and map project (mainform_files.cpp) -----------------------------------------
    void Button5Click();
    void SchreibDXF();
    void ButtonSaveKVClick();
    void ButtonLoadKVClick();
    void EditKVNameDblClick();
    // A double click on the DXF name or the mission name picks the file to write to; the
    // dialog offers the file's kind.
    void PickWriteName(QLineEdit* edit, const QString& title);
    void SavePar();
    bool LoadPar();

    // ---- Geodata in and out (mainform_exchange.cpp) ---------------------------------------
    void ButtonImportClick();    // area from KML, KMZ or GeoJSON
    void ButtonKmlClick();       // plan to KML
    void ButtonGeoJsonClick();   // plan to GeoJSON
    void ButtonWorldClick();     // world file and QGIS .points beside the map copy's JPEG
    void ButtonGcpImportClick(); // control points from a QGIS .points file
    // Window client y of the map copy's first row (toolbar and tab header above it).
    double ImageTop() const;
    QToolButton* ButtonImport = nullptr;
    QPushButton* ButtonKml = nullptr;
    QPushButton* ButtonGeoJson = nullptr;
    QPushButton* ButtonWorld = nullptr;
    QPushButton* ButtonGcpImport = nullptr;

    // ---- Coverage map, footprints and crosshatch (mainform_coverage.cpp) --------------------
    QWidget* CoverageRow(QWidget* page);
    void CheckBoxKreuzClick();     // "Kreuzraster": a second grid at right angles
    void CheckBoxAbdeckungClick(); // "Abdeckung": the coverage map over the map copy
    void ButtonFootprintsClick();  // every picture's footprint to GeoJSON
    void UpdateCoverage();         // after each planning run, while the map is switched on
    QCheckBox* CheckBoxKreuz = nullptr;
    QCheckBox* CheckBoxAbdeckung = nullptr;
    QPushButton* ButtonFootprints = nullptr;
    QLabel* LabelAbdeckung = nullptr;
    std::shared_ptr<const korvale::CoverageView> coverage_;

    // ---- Litchi page (mainform_litchi.cpp) ------------------------------------------------
    void WriteLitchiCVS();
    void Button6Click();
    bool ReadLitchiCVS();
    void Button7Click();
    void ShowLitchiCVS(int i);
    void DisplayLitchiRecs();
    void Button8Click();
    void MakeLitchiLines();
    void MakeFreeLitchiLines();
    void Button9Click();
    void Button1Click();
    void OrbitRelease(float xb, float yb); // orbit steps of the mouse release
    void ShowOrbit();                      // Torbit Show, if an orbit exists
    // Battery split (mainform_split.cpp): the "Akkus" box after planning, the parts on the map.
    void ShowBatteries();
    void DrawMissionParts();

    // ---- Pages (parameter and Litchi) ----
    // "Korvale" page: camera, flight, results, planning, files. param_ holds what they show.
    QLineEdit* EditF = nullptr;
    QLineEdit* EditAufloesung = nullptr;
    QCheckBox* CheckBoxFormat = nullptr;
    QLineEdit* EditXb = nullptr;
    QLineEdit* EditYb = nullptr;
    korvale::NumberBoxWidget* NumberBoxLG = nullptr;
    korvale::NumberBoxWidget* NumberBoxBG = nullptr;
    korvale::NumberBoxWidget* NumberBoxP = nullptr;
    korvale::NumberBoxWidget* NumberBoxQ = nullptr;
    korvale::NumberBoxWidget* NumberBoxH = nullptr;
    korvale::NumberBoxWidget* NumberBoxBA = nullptr;
    korvale::NumberBoxWidget* NumberBoxV = nullptr;
    korvale::NumberBoxWidget* NumberBoxFlugzeit = nullptr;
    korvale::NumberBoxWidget* NumberBoxA = nullptr;
    korvale::NumberBoxWidget* NumberBoxB = nullptr;
    korvale::NumberBoxWidget* NumberBoxFrameS = nullptr;
    korvale::NumberBoxWidget* NumberBoxStreifen = nullptr;
    korvale::NumberBoxWidget* NumberBoxWeg = nullptr;
    korvale::NumberBoxWidget* NumberBoxFlaeche = nullptr;
    korvale::NumberBoxWidget* NumberBoxBilder = nullptr;
    korvale::NumberBoxWidget* NumberBoxAkkus = nullptr;
    korvale::NumberBoxWidget* NumberBoxDateien = nullptr;
    korvale::NumberBoxWidget* NumberBoxRi = nullptr;
    QPushButton* ButtonWaypts = nullptr;
    QPushButton* ButtonAlfaAuto = nullptr;
    QPushButton* Button5 = nullptr;
    QLineEdit* EditDXFFileName = nullptr;
    QLineEdit* EditKVName = nullptr;
    QPushButton* ButtonSaveKV = nullptr;
    QPushButton* ButtonLoadKV = nullptr;
    korvale::ParamPageModel param_;
    korvale::ParamPageModel& param() { return param_; }

    // "Litchi CSV" page: the waypoint editor. litchi_ holds what it shows.
    korvale::NumberBoxWidget* NumberBoxLat = nullptr;
    korvale::NumberBoxWidget* NumberBoxLon = nullptr;
    korvale::NumberBoxWidget* NumberBoxAlt = nullptr;
    korvale::NumberBoxWidget* NumberBoxAltMode = nullptr;
    korvale::NumberBoxWidget* NumberBoxHead = nullptr;
    korvale::NumberBoxWidget* NumberBoxCuSz = nullptr;
    korvale::NumberBoxWidget* NumberBoxRotDir = nullptr;
    korvale::NumberBoxWidget* NumberBoxGimM = nullptr;
    korvale::NumberBoxWidget* NumberBoxGimP = nullptr;
    korvale::NumberBoxWidget* NumberBoxSpeed = nullptr;
    QLabel* Label14 = nullptr;
    korvale::NumberBoxWidget* NumberBoxPictS = nullptr;
    korvale::NumberBoxWidget* NumberBoxPictM = nullptr;
    korvale::NumberBoxWidget* NumberBoxTiltCam = nullptr;
    korvale::NumberBoxWidget* NumberBoxWait = nullptr;
    korvale::NumberBoxWidget* NumberBoxRotate = nullptr;
    korvale::NumberBoxWidget* NumberBoxPoiLat = nullptr;
    korvale::NumberBoxWidget* NumberBoxPoiLon = nullptr;
    korvale::NumberBoxWidget* NumberBoxPoiAlt = nullptr;
    korvale::NumberBoxWidget* NumberBoxPoiAltMode = nullptr;
    QCheckBox* CheckBoxAlle = nullptr;
    QCheckBox* CheckBoxPhoto = nullptr;
    QCheckBox* CheckBoxStartRec = nullptr;
    QCheckBox* CheckBoxStopRec = nullptr;
    QCheckBox* CheckBoxNadir = nullptr; // grid missions with the camera straight down
    QLabel* Label15 = nullptr;
    QLineEdit* EditCVS = nullptr;
    QPushButton* Button7 = nullptr;
    QPushButton* Button6 = nullptr;
    korvale::NumberBoxWidget* NumberBoxActrec = nullptr;
    korvale::NumberBoxWidget* NumberBoxAkku = nullptr;
    korvale::NumberBoxWidget* NumberBoxMaxWP = nullptr;
    QPushButton* Button9 = nullptr;
    QPushButton* Button1 = nullptr;
    QPushButton* Button8 = nullptr;
    // DJI missions beside the CSV (mainform_wpml.cpp): the drone picker and "Schreib KMZ".
    void BuildWpmlControls(QWidget* page);
    void ButtonKMZClick();
    QComboBox* ComboBoxDrone = nullptr;
    QPushButton* ButtonKMZ = nullptr;
    std::vector<korvale::DroneProfile> drones_;
    QString dronesError_;
    // The drone picker of the "Korvale" page and the values that belong to the drone: exposure,
    // allowed pixel shift, battery reserve, the modelled flight time and the speed limit shown
    // beside the speed.
    void BuildDroneControls(QWidget* page);
    void LoadDroneProfilesOnce();
    void ComboBoxKameraChange();
    void ShowDronePick();
    void RestoreDronePick(const QString& key);
    void ShowSpeedLimit();
    void SpeedValuesChange();
    void ReserveChange();
    const korvale::DroneProfile* PickedDrone() const;
    QComboBox* ComboBoxKamera = nullptr;
    korvale::NumberBoxWidget* NumberBoxBelichtung = nullptr;
    korvale::NumberBoxWidget* NumberBoxVersatz = nullptr;
    korvale::NumberBoxWidget* NumberBoxReserve = nullptr;
    korvale::NumberBoxWidget* NumberBoxFlugzeitModell = nullptr;
    korvale::NumberBoxWidget* NumberBoxVmax = nullptr;
    QLabel* LabelSpeedLimit = nullptr;
    // The pre-flight sheet: one page per mission part, printed to PDF and shown in the protocol.
    void ButtonPreflightClick();
    void WritePreflightPdf(const QString& path, const std::vector<korvale::PreflightPage>& pages);
    std::vector<korvale::PreflightPage> PreflightPages();
    korvale::PreflightInput PreflightBasics() const;
    QPushButton* BuildPreflightButton(QWidget* page);
    QPushButton* ButtonPreflight = nullptr;
    // Heights above ground (mainform_terrain.cpp): the elevation model of the planning page,
    // the missions over it and the profile page.
    QWidget* TerrainRow(QWidget* page);
    void BuildProfilePage();
    void ButtonDemClick();
    void SetDemFile(const QString& path);
    void DemFromProject();
    bool HaveDem() const { return !demFile_.isEmpty(); }
    const korvale::ElevationModel& Dem();
    korvale::TerrainSettings TerrainSettingsOf() const;
    void ShowProfile();
    QPushButton* ButtonDem = nullptr;
    QPushButton* ButtonDemOff = nullptr;
    QLabel* LabelDem = nullptr;
    QDoubleSpinBox* SpinTerrainTol = nullptr;
    QWidget* TabItemProfile = nullptr;
    korvale::ProfileView* Profile1 = nullptr;
    QString demFile_;
    std::shared_ptr<const korvale::ElevationModel> dem_; // opened for demZone_
    int demZone_ = 0;
    bool demSouth_ = false;
    korvale::TerrainResult terrain_; // of the mission shown, empty without a model
    korvale::LitchiPageModel litchi_;
    korvale::LitchiPageModel& litchi() { return litchi_; }
    bool litchiGrid_ = false; // the mission was made from the grid (its interval is checked)

    void NumberBoxActrecChange();
    // Shows the page models in their controls again after the core changed them; fires no
    // change handler.
    void RefreshParameterPage();
    void RefreshLitchiPage();
    // Runs the selector's rule when a core operation moved the selector's value.
    void SelectorSettled(double before);
    // ---- end of Pages (parameter and Litchi) ----

    // ---- Controls (named as in the window's design; objectName is the same) ---------------
    QToolBar* ToolBar1 = nullptr;
    QToolButton* ButtonMapCopy = nullptr;
    QToolButton* ButtonTrafo = nullptr;
    QToolButton* ButtonBorder = nullptr;
    QToolButton* ButtonFreeline = nullptr;
    QToolButton* ButtonPOI = nullptr;
    QToolButton* ButtonPoly = nullptr;
    QToolButton* ButtonMove = nullptr;
    QToolButton* ButtonPtDel = nullptr;
    QToolButton* ButtonMessen = nullptr;
    QToolButton* ButtonArea = nullptr;
    QToolButton* ButtonDelAll = nullptr;
    QToolButton* ButtonHelp = nullptr;
    QToolButton* ButtonZone = nullptr;

    QTabWidget* Tabcontrol1 = nullptr;
    QWidget* TabItemMaps = nullptr;
    QWidget* TabItemKarte = nullptr;
    QWidget* TabItemProt = nullptr;
    QWidget* TabItemParameter = nullptr;
    QWidget* TabItemLitchi = nullptr;
    QWidget* TabItemHelp = nullptr;

    QWebEngineView* WebBrowser1 = nullptr; // created when its page is first shown
    korvale::ImageViewer* ImageViewer1 = nullptr;
    korvale::OverlayViewer* ImageViewer2 = nullptr;
    QPlainTextEdit* Memo1 = nullptr;
    QPlainTextEdit* Memo2 = nullptr;
    QStatusBar* StatusBar1 = nullptr;
    QLabel* LabelStatus = nullptr;
    QMenu* UndoMenu = nullptr; // context menu of the toolbar: "Rückgängig", "Wiederherstellen"

  protected:
    void closeEvent(QCloseEvent* e) override;

  private:
    void ApplyUndoStep(const korvale::UndoStep& step);
    void BuildUndoActions();
    // Releases every member of the tool set but `clicked` (no click handler runs).
    void ReleaseOthers(korvale::Tool clicked);
    // After a drawing operation: bring the map copy page to the front when the operation
    // asked for it, and repaint the overlay.
    void AfterDraw();
    // Showgrafik's steps; `withPlan` false leaves out the flight plan (see ButtonWayptsClick).
    void Redraw(bool withPlan);
    // Runs a planning step that draws into the overlay, then refreshes page and map.
    void RunPlanningStep(const std::function<void()>& step);
    // Replaces Memo2's lines by "Help.txt" (working directory, else the program's directory,
    // else the installed data folder).
    void LoadHelp();
    void BuildToolBar();
    void BuildPages();

    // Page builders (mainform_planning.cpp, mainform_litchi.cpp).
    void BuildParameterPage(QWidget* page);
    void BuildQualityPanel(QWidget* page);
    void BuildLitchiPage(QWidget* page);
    // Rows of the parameter page with the geodata buttons (mainform_exchange.cpp).
    QWidget* ExchangeExportRow(QWidget* page);
    QWidget* GeoreferenceRow(QWidget* page);

    // Adds a second line to a conversion message that names the box holding the text.
    QString Explain(const QString& message) const;
    // The map project from `name` (data file and image), all or nothing.
    void LoadProjectFrom(const std::string& name);
    QByteArray ProjectFingerprint() const;
    void MarkSaved();
    void RemoveAutosave();
    void StartAutosave();
    // After a project was loaded or recovered: ring, area and plan as the values give them.
    void AfterProjectLoaded();
    // The map copy as the JPEG a project keeps beside its data file.
    QByteArray MapCopyJpeg() const;
    // A file name without a folder goes to the last folder; at first that is the documents
    // folder, which an account may not have yet: it is made then.
    void EnsureLastFolder() const;

    korvale::State state_;
    korvale::Overlay overlay_;
    korvale::PlanCache plans_;
    korvale::UndoHistory history_;
    bool zoneOpen_ = false; // the last zone takes further corners (ButtonZone pressed since)
    bool statusIsResult_ = false;
    bool webMapShown_ = false; // the web map page has been on the screen at least once
    int tileSource_ = -1;      // the tile source shown on the web map page, -1: none
    QElapsedTimer tileCopyClock_;
    double tileCopyMs_ = -1;
    QString lastFolder_;
    bool settingsSaved_ = false;
    QString messageTitle_;
    MessageIcon messageIcon_ = MessageIcon::Information;
    QString fileDialogFilter_;
    QString failureTitle_;
    bool dirty_ = false;
    QByteArray savedFingerprint_;
    QString projectFile_; // the file the project was last saved to or loaded from
    QByteArray autosavedFingerprint_;
    QTimer* autosaveTimer_ = nullptr;
    QLockFile* autosaveLock_ = nullptr; // held while this window may autosave
    QByteArray autosaveJpeg_;           // the map copy as last autosaved
    qint64 autosaveJpegKey_ = 0;
};
