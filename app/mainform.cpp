// The main window: layout, toolbar and tool modes, message and file-dialog seams, help page.
#include "mainform.h"

#include <QApplication>
#include <QClipboard>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDatabase>
#include <QGridLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QShortcut>
#include <QStatusBar>
#include <QStringDecoder>
#include <QTabBar>
#include <QTabWidget>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <exception>

#include "georef/transform.h"
#include "imageviewer.h"
#include "model/error.h"
#include "model/tools.h"

using korvale::Tool;

namespace {

constexpr int kClientWidth = 507;
constexpr int kClientHeight = 674;
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
    LabelStatus->setText(QStringLiteral("Passpunkte: Rechte Maustaste sonst linke Maustaste"));
    LabelStatus->setTextInteractionFlags(Qt::TextSelectableByMouse);
    StatusBar1->addWidget(LabelStatus, 1);

    resize(kClientWidth, kClientHeight);
    FormCreate();
}

TMainForm::~TMainForm() = default;

void TMainForm::BuildToolBar() {
    ToolBar1 = new QToolBar(this);
    ToolBar1->setObjectName(QStringLiteral("ToolBar1"));
    ToolBar1->setMovable(false);
    ToolBar1->setFloatable(false);
    ToolBar1->setContextMenuPolicy(Qt::PreventContextMenu);
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
        {&TMainForm::ButtonBorder, "ButtonBorder", "RL", "Gebeitsraster festlegen", "border", true,
         &TMainForm::ButtonBorderClick},
        {&TMainForm::ButtonFreeline, "ButtonFreeline", "FL", "Freien Flugweg festlegen", "freeline",
         true, &TMainForm::ButtonFreelineClick},
        {&TMainForm::ButtonPOI, "ButtonPOI", "PI", "Point of interest setzen", "poi", true,
         &TMainForm::ButtonPOIClick},
        {&TMainForm::ButtonPoly, "ButtonPoly", "Kr", "Freie Linine anzeigen", "orbit", true,
         &TMainForm::ButtonPolyClick},
        {&TMainForm::ButtonMove, "ButtonMove", "", "Punkt verschieben", "move", true,
         &TMainForm::ButtonMoveClick},
        {&TMainForm::ButtonPtDel, "ButtonPtDel", "", "Punkt löschen", "ptdel", true,
         &TMainForm::ButtonPtDelClick},
        {&TMainForm::ButtonMessen, "ButtonMessen", "", "Strecken messen", "messen", true,
         &TMainForm::ButtonMessenClick},
        {&TMainForm::ButtonArea, "ButtonArea", "", "Fläche berechnen", "area", true,
         &TMainForm::ButtonAreaClick},
        {&TMainForm::ButtonDelAll, "ButtonDelAll", "", "Alle Punkte löschen", "delall", false,
         &TMainForm::ButtonDelAllClick},
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
    auto* karteLayout = new QGridLayout(TabItemKarte);
    karteLayout->setContentsMargins(0, 0, 0, 0);
    karteLayout->addWidget(ImageViewer1, 0, 0);
    karteLayout->addWidget(ImageViewer2, 0, 0);
    ImageViewer2->raise();
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
            [this](const QImage& image) { Guard([&] { SetMapCopy(image); }); });
    auto* paste = new QShortcut(QKeySequence::Paste, TabItemKarte);
    paste->setContext(Qt::WidgetWithChildrenShortcut);
    connect(paste, &QShortcut::activated, this, [this] { Guard([this] { PasteMapCopy(); }); });

    Memo1 = new ProtocolEdit(TabItemProt);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setReadOnly(true);
    Memo1->setLineWrapMode(QPlainTextEdit::NoWrap);
    Memo1->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    auto* protLayout = new QVBoxLayout(TabItemProt);
    protLayout->setContentsMargins(0, 0, 0, 0);
    protLayout->addWidget(Memo1);

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
    Tabcontrol1->setCurrentWidget(TabItemParameter);

    connect(Tabcontrol1, &QTabWidget::currentChanged, this, [this](int index) {
        if (Tabcontrol1->widget(index) == TabItemMaps)
            Guard([this] { EnsureWebBrowser(); });
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
    if (messageHook) {
        messageHook(text);
        return;
    }
    QMessageBox box(QMessageBox::Information, QStringLiteral("Korvaleplanung"), text,
                    QMessageBox::Ok, this);
    box.exec();
}

QString TMainForm::AskFileName(FileDialogKind kind, const QString& title, const QString& current) {
    if (fileDialogHook)
        return fileDialogHook(kind, title, current);
    if (kind == FileDialogKind::Open)
        return QFileDialog::getOpenFileName(this, title, current);
    return QFileDialog::getSaveFileName(this, title, current);
}

void TMainForm::Guard(const std::function<void()>& body) {
    try {
        body();
    } catch (const korvale::Error& e) {
        ShowMessage(QString::fromUtf8(e.what()));
    } catch (const std::exception& e) {
        ShowMessage(QString::fromUtf8(e.what()));
    }
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
}

// ---- Toolbar handlers ---------------------------------------------------------------------

void TMainForm::ButtonTrafoClick() {
    // A refused fit throws before anything changed; Guard shows why.
    const korvale::TrafResult r = korvale::TrafPar(state_);
    for (const std::string& line : r.protocol)
        Memo1->appendPlainText(Q(line));
    LabelStatus->setText(Q(r.status));
    if (r.ok)
        ShowMessage(QStringLiteral("Transformation ist OK!"));
    korvale::Trafall(state_);
    Showgrafik();
}

void TMainForm::ButtonBorderClick() {
    LabelStatus->setText(QStringLiteral("Gebietsumring im Uhrzeigersinn definieren"));
    ReleaseOthers(Tool::Border);
    SetBorderPointer();
    DisplayBorderLine();
}

void TMainForm::ButtonFreelineClick() {
    LabelStatus->setText(QStringLiteral("Flugweg frei festlegen"));
    ReleaseOthers(Tool::Freeline);
    if (!ButtonFreeline->isChecked()) {
        SetFreeLine();
        DisplayFreeline();
    }
}

void TMainForm::ButtonPOIClick() {
    LabelStatus->setText(QStringLiteral("Point of interest festlegen"));
    ReleaseOthers(Tool::POI);
    ShowPoints();
}

void TMainForm::ButtonPolyClick() {
    LabelStatus->setText(QStringLiteral("POI und Orbit festlegen"));
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
    ReleaseOthers(Tool::DelAll);
    state_.Points.clear();
    state_.CutPoints.clear();
    LabelStatus->setText(QStringLiteral("Alle Punkte gelöscht, Passpunkte neu fetlegen."));
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
    const QByteArray data = f.readAll();
    if (f.error() != QFileDevice::NoError)
        throw korvale::Error(korvale::ErrorKind::Damaged, "Versuch hinter dem Dateiende zu lesen");
    // A byte-order mark names the encoding; without one the text is UTF-8.
    const auto enc = QStringConverter::encodingForData(data);
    QStringDecoder decoder(enc.value_or(QStringConverter::Utf8));
    QString text = decoder(data);
    Memo2->setPlainText(text);
}
