// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// The main window: layout, toolbar and tool modes, message and file-dialog seams, help page.
#include "mainform.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDatabase>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLockFile>
#include <QMenu>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QScreen>
#include <QScrollBar>
#include <QSettings>
#include <QShortcut>
#include <QStandardPaths>
#include <QStatusBar>
#include <QStringDecoder>
#include <QTabBar>
#include <QTabWidget>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <exception>
#include <memory>
#include <new>

#include "coverage_overlay.h"
#include "georef/transform.h"
#include "imageviewer.h"
#include "messages.h"
#include "model/error.h"
#include "model/tools.h"
#include "numberboxwidget.h"
#include "planning/plan.h"

using korvale::Tool;

namespace {

// The design's client area is the least the window needs; it opens large enough for a typical
// map copy, unless the screen is smaller.
constexpr int kClientWidth = 507;
constexpr int kClientHeight = 674;
constexpr int kOpenWidth = 1280;
constexpr int kOpenHeight = 900;
constexpr int kToolBarHeight = 40;
constexpr int kButtonSize = 40;
constexpr int kStatusHeight = 30;

QString Q(const std::string& s) {
    return QString::fromStdString(s);
}

// The protocol: its lines begin with the point number, so it shows their start when it
// appears (the text edit would scroll to the end of the last line).
class ProtocolEdit : public QPlainTextEdit {
  public:
    using QPlainTextEdit::QPlainTextEdit;

  protected:
    void showEvent(QShowEvent* e) override {
        QPlainTextEdit::showEvent(e);
        horizontalScrollBar()->setValue(0);
    }
    void resizeEvent(QResizeEvent* e) override {
        QPlainTextEdit::resizeEvent(e);
        horizontalScrollBar()->setValue(0);
    }
};

} // namespace

// The icons live in the library's resources; a static library must register them itself.
static void InitResources() {
    Q_INIT_RESOURCE(resources);
}

TMainForm::TMainForm(QWidget* parent) : QMainWindow(parent) {
    InitResources();
    setWindowTitle(QStringLiteral("Korvaleplanung Ver. 1.01"));
    BuildToolBar();
    BuildPages();

    StatusBar1 = statusBar();
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    StatusBar1->setFixedHeight(kStatusHeight);
    StatusBar1->setSizeGripEnabled(true);
    LabelStatus = new QLabel(StatusBar1);
    LabelStatus->setObjectName(QStringLiteral("LabelStatus"));
    SetStatus(QStringLiteral("Passpunkte: Rechte Maustaste sonst linke Maustaste"));
    LabelStatus->setTextInteractionFlags(Qt::TextSelectableByMouse);
    StatusBar1->addWidget(LabelStatus, 1);

    BuildUndoActions();
    QSize size(kOpenWidth, kOpenHeight);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        size = size.boundedTo(screen->availableGeometry().size());
    resize(size.expandedTo(QSize(kClientWidth, kClientHeight)));
    FormCreate();
    LoadSettings();
    NoteChanges();
    StartAutosave();
    for (korvale::NumberBoxWidget* b : findChildren<korvale::NumberBoxWidget*>())
        connect(b, &korvale::NumberBoxWidget::clamped, this,
                [this, b](double entered) { NumberBoxClamped(b, entered); });
    // The help page shows its text from the start. A missing file is reported when the user
    // asks for help, not at every start.
    try {
        LoadHelp();
    } catch (const korvale::Error&) {
    }
}

TMainForm::~TMainForm() {
    SaveSettings();
    delete autosaveLock_;
}

void TMainForm::closeEvent(QCloseEvent* e) {
    if (!ConfirmDiscard(QStringLiteral("dem Beenden"))) {
        e->ignore();
        return;
    }
    SaveSettings();
    // A normal end: nothing to offer at the next start.
    RemoveAutosave();
    QMainWindow::closeEvent(e);
}

void TMainForm::BuildToolBar() {
    ToolBar1 = new QToolBar(this);
    ToolBar1->setObjectName(QStringLiteral("ToolBar1"));
    ToolBar1->setMovable(false);
    ToolBar1->setFloatable(false);
    // The toolbar's context menu holds undo and redo (BuildUndoActions), in place of the main
    // window's menu that would hide the toolbar.
    ToolBar1->setContextMenuPolicy(Qt::CustomContextMenu);
    ToolBar1->setFixedHeight(kToolBarHeight);
    ToolBar1->setIconSize(QSize(20, 20));
    ToolBar1->setStyleSheet(
        QStringLiteral("QToolBar { border: 0px; padding: 0px; spacing: 0px; }"));
    ToolBar1->layout()->setContentsMargins(0, 0, 0, 0);
    ToolBar1->layout()->setSpacing(0);
    addToolBar(Qt::TopToolBarArea, ToolBar1);

    struct Def {
        QToolButton* TMainForm::*member;
        const char* name;
        const char* caption;
        const char* hint;
        const char* icon;
        bool toggle;
        void (TMainForm::*handler)();
    };
    const Def defs[] = {
        {&TMainForm::ButtonMapCopy, "ButtonMapCopy", "Cp", "Kopiert Google Maps in Kartenkopie",
         "mapcopy", false, &TMainForm::ButtonMapCopyClick},
        {&TMainForm::ButtonTrafo, "ButtonTrafo", "Tr", "Passpunkttransformation", "trafo", false,
         &TMainForm::ButtonTrafoClick},
        {&TMainForm::ButtonBorder, "ButtonBorder", "RL", "Gebietsraster festlegen", "border", true,
         &TMainForm::ButtonBorderClick},
        {&TMainForm::ButtonFreeline, "ButtonFreeline", "FL", "Freien Flugweg festlegen", "freeline",
         true, &TMainForm::ButtonFreelineClick},
        {&TMainForm::ButtonPOI, "ButtonPOI", "PI", "Point of interest setzen", "poi", true,
         &TMainForm::ButtonPOIClick},
        {&TMainForm::ButtonPoly, "ButtonPoly", "Kr", "Freie Linie anzeigen", "orbit", true,
         &TMainForm::ButtonPolyClick},
        {&TMainForm::ButtonMove, "ButtonMove", "", "Punkt verschieben", "move", true,
         &TMainForm::ButtonMoveClick},
        {&TMainForm::ButtonPtDel, "ButtonPtDel", "", "Punkt löschen", "ptdel", true,
         &TMainForm::ButtonPtDelClick},
        {&TMainForm::ButtonMessen, "ButtonMessen", "", "Strecken messen", "messen", true,
         &TMainForm::ButtonMessenClick},
        {&TMainForm::ButtonArea, "ButtonArea", "", "Fläche berechnen", "area", true,
         &TMainForm::ButtonAreaClick},
        {&TMainForm::ButtonZone, "ButtonZone", "", "Sperrfläche", "zone", true,
         &TMainForm::ButtonZoneClick},
        {&TMainForm::ButtonDelAll, "ButtonDelAll", "", "Alle Punkte löschen", "delall", false,
         &TMainForm::ButtonDelAllClick},
        {&TMainForm::ButtonImport, "ButtonImport", "", "Gebiet importieren (KML, KMZ, GeoJSON)",
         "import", false, &TMainForm::ButtonImportClick},
        {&TMainForm::ButtonHelp, "ButtonHelp", "?", "Hilfe abrufen", nullptr, true,
         &TMainForm::ButtonHelpClick},
    };
    QFont small = font();
    small.setPointSize(7);
    for (const Def& d : defs) {
        auto* b = new QToolButton(ToolBar1);
        b->setObjectName(QString::fromLatin1(d.name));
        b->setText(QString::fromUtf8(d.caption));
        b->setToolTip(QString::fromUtf8(d.hint));
        b->setCheckable(d.toggle);
        b->setAutoRaise(true);
        b->setFixedSize(kButtonSize, kButtonSize);
        if (d.icon) {
            b->setIcon(QIcon(QStringLiteral(":/icons/%1.svg").arg(QLatin1String(d.icon))));
            if (*d.caption) {
                b->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
                b->setIconSize(QSize(20, 20));
                b->setFont(small);
            } else {
                b->setToolButtonStyle(Qt::ToolButtonIconOnly);
                b->setIconSize(QSize(26, 26));
            }
        } else {
            QFont big = font();
            big.setPointSize(20);
            b->setFont(big);
            b->setToolButtonStyle(Qt::ToolButtonTextOnly);
        }
        if (d.member == &TMainForm::ButtonImport) {
            // The design's twelve buttons fill the window's width; the import command is
            // narrower so that the help button stays on the toolbar.
            b->setFixedSize(kButtonSize / 2 + 2, kButtonSize);
            b->setIconSize(QSize(20, 20));
        }
        if (d.member == &TMainForm::ButtonHelp) {
            // The help button stands a little apart from the tools.
            auto* gap = new QWidget(ToolBar1);
            gap->setFixedSize(3, kButtonSize);
            ToolBar1->addWidget(gap);
        }
        ToolBar1->addWidget(b);
        this->*d.member = b;
        const auto handler = d.handler;
        connect(b, &QToolButton::clicked, this,
                [this, handler] { Guard([this, handler] { (this->*handler)(); }); });
    }
}

void TMainForm::BuildUndoActions() {
    // The actions belong to the window, so their keys work on every page; a text box with the
    // focus keeps Ctrl+Z for its own text.
    auto* undo = new QAction(QStringLiteral("Rückgängig"), this);
    undo->setObjectName(QStringLiteral("ActionUndo"));
    undo->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    auto* redo = new QAction(QStringLiteral("Wiederherstellen"), this);
    redo->setObjectName(QStringLiteral("ActionRedo"));
    redo->setShortcuts(
        {QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)});
    for (QAction* a : {undo, redo})
        a->setShortcutContext(Qt::WindowShortcut);
    addAction(undo);
    addAction(redo);
    connect(undo, &QAction::triggered, this, [this] { Guard([this] { EditUndo(); }); });
    connect(redo, &QAction::triggered, this, [this] { Guard([this] { EditRedo(); }); });

    UndoMenu = new QMenu(this);
    UndoMenu->setObjectName(QStringLiteral("UndoMenu"));
    UndoMenu->addAction(undo);
    UndoMenu->addAction(redo);
    connect(ToolBar1, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { UndoMenu->popup(ToolBar1->mapToGlobal(at)); });
}

void TMainForm::BuildPages() {
    auto* tabs = new korvale::TabWidget40(this);
    Tabcontrol1 = tabs;
    Tabcontrol1->setObjectName(QStringLiteral("Tabcontrol1"));
    Tabcontrol1->setDocumentMode(true);
    Tabcontrol1->setIconSize(QSize(16, 16));
    setCentralWidget(Tabcontrol1);

    auto page = [this](const char* name) {
        auto* w = new QWidget(Tabcontrol1);
        w->setObjectName(QString::fromLatin1(name));
        return w;
    };
    TabItemMaps = page("TabItemMaps");
    TabItemKarte = page("TabItemKarte");
    TabItemProt = page("TabItemProt");
    TabItemParameter = page("TabItemParameter");
    TabItemLitchi = page("TabItemLitchi");
    TabItemHelp = page("TabItemHelp");

    // Web map: the browser is created when the page is first shown.
    auto* mapsLayout = new QVBoxLayout(TabItemMaps);
    mapsLayout->setContentsMargins(2, 2, 2, 2);

    // Map copy: the overlay layer covers the map copy exactly.
    ImageViewer1 = new korvale::ImageViewer(TabItemKarte);
    ImageViewer1->setObjectName(QStringLiteral("ImageViewer1"));
    ImageViewer2 = new korvale::OverlayViewer(overlay_, TabItemKarte);
    ImageViewer2->setObjectName(QStringLiteral("ImageViewer2"));
    ImageViewer2->origin = [this] {
        return QPointF(0, ToolBar1->height() + Tabcontrol1->tabBar()->height());
    };
    ImageViewer2->mapView = ImageViewer1;
    // The coverage map lies under the plan; it is only shown with the plan it was made for.
    ImageViewer2->underlay = [this](QPainter& p, QPointF at, const korvale::MapViewTransform& v) {
        if (coverage_ && !state_.FlightSegs.empty())
            korvale::PaintCoverage(p, *coverage_, at, v);
    };
    ImageViewer2->legend = [this](QPainter& p) {
        if (coverage_ && !state_.FlightSegs.empty())
            korvale::PaintCoverageLegend(p, *coverage_);
    };
    auto* hbar = new QScrollBar(Qt::Horizontal, TabItemKarte);
    hbar->setObjectName(QStringLiteral("MapScrollH"));
    auto* vbar = new QScrollBar(Qt::Vertical, TabItemKarte);
    vbar->setObjectName(QStringLiteral("MapScrollV"));
    auto* karteLayout = new QGridLayout(TabItemKarte);
    karteLayout->setContentsMargins(0, 0, 0, 0);
    karteLayout->setSpacing(0);
    karteLayout->addWidget(ImageViewer1, 0, 0);
    karteLayout->addWidget(ImageViewer2, 0, 0);
    karteLayout->addWidget(vbar, 0, 1);
    karteLayout->addWidget(hbar, 1, 0);
    ImageViewer2->raise();
    ImageViewer1->setScrollBars(hbar, vbar);
    connect(ImageViewer1, &korvale::ImageViewer::viewChanged, ImageViewer2,
            qOverload<>(&QWidget::update));
    const auto toButton = [](Qt::MouseButton b) {
        return b == Qt::RightButton  ? MouseButton::Right
               : b == Qt::LeftButton ? MouseButton::Left
                                     : MouseButton::Middle;
    };
    connect(ImageViewer2, &korvale::OverlayViewer::pressed, this,
            [this, toButton](Qt::MouseButton b, QPointF p) {
                Guard([&] {
                    ImageViewer2MouseDown(ImageViewer2, toButton(b), float(p.x()), float(p.y()));
                });
            });
    connect(ImageViewer2, &korvale::OverlayViewer::released, this,
            [this, toButton](Qt::MouseButton b, QPointF p) {
                Guard([&] {
                    ImageViewer2MouseUp(ImageViewer2, toButton(b), float(p.x()), float(p.y()));
                });
            });
    connect(ImageViewer1, &korvale::ImageViewer::released, this,
            [this, toButton](Qt::MouseButton b, QPointF p) {
                Guard([&] {
                    ImageViewer2MouseUp(ImageViewer1, toButton(b), float(p.x()), float(p.y()));
                });
            });
    connect(ImageViewer2, &korvale::OverlayViewer::fileDropped, this,
            [this](const QString& path) { Guard([&] { DropMapFile(path); }); });
    connect(ImageViewer2, &korvale::OverlayViewer::imageDropped, this,
            [this](const QImage& image) { Guard([&] { ReplaceMapCopy(image); }); });
    // Keys of the map copy page work whenever the page is shown, wherever the focus was left
    // (a click on the tab gives the page no focus, and a click into it would place a point).
    // Text fields of other pages keep their own Ctrl+V, since the page is then hidden.
    const auto mapKey = [this](const QKeySequence& key, void (TMainForm::*handler)()) {
        auto* shortcut = new QShortcut(key, this);
        shortcut->setContext(Qt::WindowShortcut);
        connect(shortcut, &QShortcut::activated, this, [this, handler] {
            if (Tabcontrol1->currentWidget() == TabItemKarte)
                Guard([this, handler] { (this->*handler)(); });
        });
    };
    mapKey(QKeySequence::Paste, &TMainForm::PasteMapCopy);
    mapKey(QKeySequence(Qt::CTRL | Qt::Key_0), &TMainForm::FitMapToWindow);
    mapKey(QKeySequence(Qt::CTRL | Qt::Key_1), &TMainForm::MapActualSize);

    Memo1 = new ProtocolEdit(TabItemProt);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setReadOnly(true);
    Memo1->setLineWrapMode(QPlainTextEdit::NoWrap);
    Memo1->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    auto* protLayout = new QVBoxLayout(TabItemProt);
    protLayout->setContentsMargins(0, 0, 0, 0);
    protLayout->addWidget(Memo1);
    BuildQualityPanel(TabItemProt);

    Memo2 = new QPlainTextEdit(TabItemHelp);
    Memo2->setObjectName(QStringLiteral("Memo2"));
    Memo2->setReadOnly(true);
    Memo2->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    Memo2->setFont(QFont(QStringLiteral("Arial"), 11));
    auto* helpLayout = new QVBoxLayout(TabItemHelp);
    helpLayout->setContentsMargins(0, 0, 0, 0);
    helpLayout->addWidget(Memo2);

    BuildParameterPage(TabItemParameter);
    BuildLitchiPage(TabItemLitchi);

    const auto icon = [](const char* name) {
        return QIcon(QStringLiteral(":/icons/%1.svg").arg(QLatin1String(name)));
    };
    Tabcontrol1->addTab(TabItemMaps, icon("globe"), QStringLiteral("Bing Maps"));
    Tabcontrol1->addTab(TabItemKarte, icon("map"), QStringLiteral("Kartenkopie"));
    Tabcontrol1->addTab(TabItemProt, icon("protocol"), QStringLiteral("Protokoll"));
    Tabcontrol1->addTab(TabItemParameter, icon("drone"), QStringLiteral("Korvale"));
    Tabcontrol1->addTab(TabItemLitchi, icon("litchi"), QStringLiteral("Litchi CSV"));
    Tabcontrol1->addTab(TabItemHelp, QStringLiteral(" ? Help"));
    BuildProfilePage();
    Tabcontrol1->setCurrentWidget(TabItemParameter);

    connect(Tabcontrol1, &QTabWidget::currentChanged, this, [this](int index) {
        QWidget* shown = Tabcontrol1->widget(index);
        if (shown == TabItemMaps) {
            webMapShown_ = webMapShown_ || isVisible();
            Guard([this] { EnsureWebBrowser(); });
        }
        if (shown == TabItemProt)
            Guard([this] { ShowQuality(); });
        // The map copy page takes the keyboard, so its keys reach it without a click.
        if (shown == TabItemKarte)
            ImageViewer2->setFocus(Qt::OtherFocusReason);
    });
    connect(Tabcontrol1, &QTabWidget::tabBarClicked, this, [this](int index) {
        if (index >= 0 && Tabcontrol1->widget(index) == TabItemKarte)
            Guard([this] { TabItemKarteClick(); });
    });
    connect(Tabcontrol1, &QTabWidget::tabBarDoubleClicked, this, [this](int index) {
        if (index >= 0 && Tabcontrol1->widget(index) == TabItemMaps)
            Guard([this] { TabItemMapsDblClick(); });
    });
}

// ---- Seams --------------------------------------------------------------------------------

void TMainForm::ShowMessage(const QString& text) {
    ShowMessage(text, QStringLiteral("Korvaleplanung"), MessageIcon::Information);
}

void TMainForm::ShowMessage(const QString& text, const QString& title, MessageIcon icon) {
    messageTitle_ = title;
    messageIcon_ = icon;
    if (messageHook) {
        messageHook(text);
        return;
    }
    std::unique_ptr<QMessageBox> box(MakeMessageBox(text, title, icon));
    box->exec();
}

namespace {

// The file kinds a dialog offers, by its title; every dialog also offers all files.
QString DialogFilter(const QString& title) {
    static const struct {
        const char* title;
        const char* filter;
    } kinds[] = {
        {"Gebiet importieren (KML, KMZ, GeoJSON)", "Gebiete (*.kml *.kmz *.geojson *.json)"},
        {"Schreib KML", "KML (*.kml)"},
        {"Schreib GeoJSON", "GeoJSON (*.geojson *.json)"},
        {"Passpunkte laden (QGIS .points)", "QGIS-Passpunkte (*.points)"},
        {"Projektdatei wählen", "Kartenprojekte (*.dat)"},
        {"Karte sichern unter", "Kartenprojekte (*.dat)"},
        {"Litchi CSV lesen", "Litchi-Missionen (*.csv *.CSV)"},
        {"Missionsdatei wählen", "Litchi-Missionen (*.csv *.CSV)"},
        {"DXF-Datei wählen", "DXF (*.dxf *.DXF)"},
        {"Vorflugblatt schreiben", "PDF (*.pdf *.PDF)"},
    };
    QString all = QStringLiteral("Alle Dateien (*)");
    for (const auto& k : kinds)
        if (title == QString::fromUtf8(k.title))
            return QString::fromUtf8(k.filter) + QStringLiteral(";;") + all;
    return all;
}

} // namespace

QString TMainForm::AskFileName(FileDialogKind kind, const QString& title, const QString& current) {
    const QString start = current.isEmpty() ? lastFolder_ : FilePath(current);
    const QString filter = DialogFilter(title);
    fileDialogFilter_ = filter;
    QString chosen;
    if (fileDialogHook)
        chosen = fileDialogHook(kind, title, current);
    else if (kind == FileDialogKind::Open)
        chosen = QFileDialog::getOpenFileName(this, title, start, filter);
    else
        chosen = QFileDialog::getSaveFileName(this, title, start, filter, nullptr,
                                              kind == FileDialogKind::PickName
                                                  ? QFileDialog::DontConfirmOverwrite
                                                  : QFileDialog::Options());
    if (!chosen.isEmpty())
        RememberFolder(chosen);
    return chosen;
}

bool TMainForm::AskQuestion(const QString& text) {
    if (questionHook)
        return questionHook(text);
    QMessageBox box(QMessageBox::Question, QStringLiteral("Korvaleplanung"), text,
                    QMessageBox::Yes | QMessageBox::No, this);
    box.setDefaultButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

QString TMainForm::Explain(const QString& message) const {
    // Only the bare conversion message: messages that already explain themselves stay as
    // they are.
    static const QRegularExpression bare(
        QStringLiteral("^'(.*)' ist kein gültiger (Gleitkomma|Integer)wert$"));
    const QRegularExpressionMatch m = bare.match(message);
    if (!m.hasMatch())
        return message;
    const QString text = m.captured(1);
    // The box on the page in front first: that is where the user just typed.
    QList<QLineEdit*> edits = Tabcontrol1->currentWidget()->findChildren<QLineEdit*>();
    edits += findChildren<QLineEdit*>();
    for (QLineEdit* e : edits) {
        if (e->text() != text || e->accessibleName().isEmpty())
            continue;
        return message + QStringLiteral("\nIm Feld „%1“ steht „%2“: bitte eine Zahl mit Punkt "
                                        "als Dezimaltrennzeichen eingeben, z. B. 8.38.")
                             .arg(e->accessibleName(), text);
    }
    return message;
}

void TMainForm::Guard(const std::function<void()>& body) {
    const QString outer = failureTitle_;
    failureTitle_.clear();
    try {
        body();
    } catch (const korvale::Error& e) {
        ShowMessage(Explain(QString::fromUtf8(e.what())), ErrorTitle(failureTitle_, e.kind()),
                    ErrorIcon(e.kind()));
    } catch (const std::bad_alloc&) {
        // The handlers compute before they commit: the state is as it was, nothing written.
        ShowMessage(QString::fromUtf8(korvale::kOutOfMemoryText),
                    ErrorTitle(failureTitle_, korvale::ErrorKind::Limit), MessageIcon::Critical);
    } catch (const std::exception& e) {
        ShowMessage(QString::fromUtf8(e.what()),
                    ErrorTitle(failureTitle_, korvale::ErrorKind::Internal), MessageIcon::Critical);
    }
    failureTitle_ = outer;
    NoteChanges();
}

// ---- Status line --------------------------------------------------------------------------

void TMainForm::SetStatus(const QString& text, bool result) {
    LabelStatus->setText(text);
    statusIsResult_ = result;
}

void TMainForm::PointsChanged() {
    if (statusIsResult_)
        SetStatus(QString());
}

// ---- Start-up -----------------------------------------------------------------------------

void TMainForm::FormCreate() {
    // A position copied before the start must not become a control point.
    if (QClipboard* cb = QGuiApplication::clipboard())
        cb->setText(QString());
    state_.TrafM = 1;
    state_.BorderIdx.clear();
}

// ---- Tool mode ----------------------------------------------------------------------------

korvale::ToolState TMainForm::Tools() const {
    korvale::ToolState t;
    t.Border = ButtonBorder->isChecked();
    t.Freeline = ButtonFreeline->isChecked();
    t.POI = ButtonPOI->isChecked();
    t.Poly = ButtonPoly->isChecked();
    t.Move = ButtonMove->isChecked();
    t.PtDel = ButtonPtDel->isChecked();
    t.Messen = ButtonMessen->isChecked();
    t.Area = ButtonArea->isChecked();
    t.Help = ButtonHelp->isChecked();
    t.Zone = ButtonZone->isChecked();
    return t;
}

void TMainForm::ReleaseOthers(Tool clicked) {
    const korvale::ToolState t = korvale::ReleaseOthers(Tools(), clicked);
    // setChecked does not emit clicked(), so no other handler runs.
    ButtonBorder->setChecked(t.Border);
    ButtonFreeline->setChecked(t.Freeline);
    ButtonPOI->setChecked(t.POI);
    ButtonPoly->setChecked(t.Poly);
    ButtonMove->setChecked(t.Move);
    ButtonPtDel->setChecked(t.PtDel);
    ButtonMessen->setChecked(t.Messen);
    ButtonArea->setChecked(t.Area);
    ButtonHelp->setChecked(t.Help);
    ButtonZone->setChecked(t.Zone);
    // Another tool ends the zone being drawn.
    if (!t.Zone)
        zoneOpen_ = false;
}

// ---- Toolbar handlers ---------------------------------------------------------------------

void TMainForm::ButtonTrafoClick() {
    // A refused fit throws before anything changed; Guard shows why.
    const korvale::TrafResult r = korvale::TrafPar(state_);
    for (const std::string& line : r.protocol)
        Memo1->appendPlainText(Q(line));
    SetStatus(Q(r.status), true);
    ShowQuality();
    if (r.ok)
        ShowMessage(QStringLiteral("Transformation ist OK!"));
    korvale::Trafall(state_);
    Showgrafik();
}

void TMainForm::ButtonBorderClick() {
    SetStatus(QStringLiteral("Gebietsumring im Uhrzeigersinn definieren"));
    ReleaseOthers(Tool::Border);
    SetBorderPointer();
    DisplayBorderLine();
}

void TMainForm::ButtonFreelineClick() {
    SetStatus(QStringLiteral("Flugweg frei festlegen"));
    ReleaseOthers(Tool::Freeline);
    if (!ButtonFreeline->isChecked()) {
        SetFreeLine();
        DisplayFreeline();
    }
}

void TMainForm::ButtonPOIClick() {
    SetStatus(QStringLiteral("Point of interest festlegen"));
    ReleaseOthers(Tool::POI);
    ShowPoints();
}

void TMainForm::ButtonPolyClick() {
    SetStatus(QStringLiteral("POI und Orbit festlegen"));
    ReleaseOthers(Tool::Poly);
    if (!ButtonPoly->isChecked())
        DisplayFreeline();
    ShowPoints();
}

void TMainForm::ButtonMoveClick() {
    ReleaseOthers(Tool::Move);
    ShowPoints();
}

void TMainForm::ButtonPtDelClick() {
    ReleaseOthers(Tool::PtDel);
    ShowPoints();
}

void TMainForm::ButtonMessenClick() {
    ReleaseOthers(Tool::Messen);
    ShowPoints();
}

void TMainForm::ButtonAreaClick() {
    ReleaseOthers(Tool::Area);
}

void TMainForm::ButtonDelAllClick() {
    if (!ConfirmDiscard(QStringLiteral("dem Löschen aller Punkte")))
        return;
    ReleaseOthers(Tool::DelAll);
    // The ring, the free line and the plan go with their points; Ctrl+Z brings all back.
    korvale::DeleteAllPoints(state_, &history_);
    SetStatus(QStringLiteral("Alle Punkte gelöscht, Passpunkte neu festlegen."));
    // The overlay is a layer of its own that outlives repaints: markers of deleted points
    // would otherwise stay on the map copy until the next full redraw.
    overlay_.Clear();
    ImageViewer2->update();
}

void TMainForm::ButtonHelpClick() {
    ReleaseOthers(Tool::Help);
    Tabcontrol1->setTabVisible(Tabcontrol1->indexOf(TabItemHelp), ButtonHelp->isChecked());
    LoadHelp();
}

void TMainForm::LoadHelp() {
    // The working directory first, then beside the program (a build tree), then the data
    // folder of an installation, found from the program's own place so that a moved prefix or
    // a staged DESTDIR still finds it.
    const QString name = QStringLiteral("Help.txt");
    const QDir programDir(QCoreApplication::applicationDirPath());
    const QString candidates[] = {QDir::current().filePath(name), programDir.filePath(name),
                                  programDir.filePath(QStringLiteral("../share/korvale/") + name)};
    QString path = candidates[0];
    for (const QString& c : candidates) {
        if (QFileInfo::exists(c)) {
            path = c;
            break;
        }
    }
    if (!QFileInfo(path).isFile())
        throw korvale::Error(korvale::ErrorKind::File, "Datei nicht gefunden");
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        throw korvale::Error(korvale::ErrorKind::File, "Dateizugriff verweigert");
    const QByteArray bytes = f.readAll();
    if (f.error() != QFileDevice::NoError)
        throw korvale::Error(korvale::ErrorKind::Damaged, "Versuch hinter dem Dateiende zu lesen");
    // A byte-order mark names the encoding; without one the text is UTF-8.
    const auto enc = QStringConverter::encodingForData(bytes);
    QStringDecoder decoder(enc.value_or(QStringConverter::Utf8));
    QString text = decoder(bytes);
    Memo2->setPlainText(text);
}
