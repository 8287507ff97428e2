// The main window: toolbar, six pages, status line; every handler of the system.
// Handlers are grouped by the file that implements them.
#pragma once

#include <QMainWindow>
#include <QString>
#include <functional>

#include "model/overlay.h"
#include "model/state.h"

class QLabel;
class QPlainTextEdit;
class QTabWidget;
class QToolBar;
class QToolButton;
class QWidget;
class QMouseEvent;
class QWebEngineView;
class QPushButton;
class QLineEdit;
class QCheckBox;
class QMenu;

namespace korvale {
class ImageViewer;
class OverlayViewer;
class NumberBoxWidget;
struct ParamPageModel;
struct LitchiPageModel;
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
    enum class FileDialogKind { Open, Save };
    void ShowMessage(const QString& text);
    QString AskFileName(FileDialogKind kind, const QString& title, const QString& current);
    std::function<void(const QString&)> messageHook;
    std::function<QString(FileDialogKind, const QString&, const QString&)> fileDialogHook;

    // Runs a handler body; a korvale::Error (or any std::exception) ends it and its text is
    // shown as a modal message. What was done before stays done.
    void Guard(const std::function<void()>& body);

    korvale::State& state() { return state_; }
    const korvale::Overlay& overlay() const { return overlay_; }

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

    // ---- Web map and clipboard (webmap.cpp) -----------------------------------------------
    void TabItemMapsDblClick();
    void ReadClipboardPoint(float xb, float yb);
    // Makes `image` the map copy (copy button, dropped or pasted image).
    void SetMapCopy(const QImage& image);

    // ---- Mouse on the map copy (mouse.cpp) ------------------------------------------------
    enum class MouseButton { Left, Right, Middle };
    void ImageViewer2MouseDown(QObject* sender, MouseButton button, float X, float Y);
    void ImageViewer2MouseUp(QObject* sender, MouseButton button, float X, float Y);
    int SelPoint(float x, float y) const;

    // ---- Overlay drawing (drawing.cpp) ----------------------------------------------------
    void ShowPoints();
    void ShowBorder();
    void ShowFreeline();
    void DisplayBorderLine();
    void DisplayFreeline();
    void Showgrafik();
    void TabItemKarteClick();
    void BringMapToFront();

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

    // ---- DXF and map project (mainform_files.cpp) -----------------------------------------
    void Button5Click();
    void SchreibDXF();
    void ButtonSaveKVClick();
    void ButtonLoadKVClick();
    void EditKVNameDblClick();
    void SavePar();
    bool LoadPar();

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
    QLabel* LabelStatus = nullptr;

  private:
    // Page builders (mainform_planning.cpp, mainform_litchi.cpp).
    void BuildParameterPage(QWidget* page);
    void BuildLitchiPage(QWidget* page);

    korvale::State state_;
    korvale::Overlay overlay_;
};
