// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// Work is never lost without a word: the window knows when the project differs from its file,
// asks before closing, loading or deleting over unsaved work, keeps an autosave in the user's
// state folder, and offers it at the next start when the program did not end normally.
#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QLockFile>
#include <QMessageBox>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
#include <memory>

#include "georef/project.h"
#include "imageviewer.h"
#include "mainform.h"
#include "model/error.h"
#include "model/fileio.h"
#include "model/format.h"
#include "numberboxwidget.h"

namespace {

constexpr const char* kTitle = "Korvaleplanung Ver. 1.01";
constexpr int kAutosaveMinutes = 2;

QString AutosaveData() {
    return TMainForm::AutosaveFolder() + QStringLiteral("/Autosave.dat");
}
QString AutosaveName() {
    return TMainForm::AutosaveFolder() + QStringLiteral("/Autosave.name");
}

} // namespace

QString TMainForm::AutosaveFolder() {
    // The XDG state folder: what a program keeps between runs that is not a setting.
    QString base = qEnvironmentVariable("XDG_STATE_HOME");
    if (base.isEmpty() || !QDir::isAbsolutePath(base))
        base = QDir::homePath() + QStringLiteral("/.local/state");
    return base + QLatin1Char('/') + QCoreApplication::applicationName().toLower();
}

QByteArray TMainForm::ProjectFingerprint() const {
    const std::string bytes = korvale::EncodeProject(state_);
    QByteArray f(bytes.data(), static_cast<qsizetype>(bytes.size()));
    f += QByteArray::number(ImageViewer1->image().cacheKey());
    return f;
}

void TMainForm::NoteChanges() {
    if (savedFingerprint_.isNull())
        savedFingerprint_ = ProjectFingerprint();
    const bool dirty = ProjectFingerprint() != savedFingerprint_;
    if (dirty == dirty_)
        return;
    dirty_ = dirty;
    setWindowTitle(dirty ? QStringLiteral("*") + QLatin1String(kTitle) : QLatin1String(kTitle));
}

void TMainForm::MarkSaved() {
    projectFile_ = FilePath(EditKVName->text());
    savedFingerprint_ = ProjectFingerprint();
    NoteChanges();
    RemoveAutosave();
}

TMainForm::UnsavedChoice TMainForm::AskUnsaved(const QString& text) {
    if (unsavedHook)
        return unsavedHook(text);
    std::unique_ptr<QMessageBox> box(MakeQuestionBox(QuestionKind::Unsaved, text));
    box->exec();
    const auto role = box->buttonRole(box->clickedButton());
    return role == QMessageBox::AcceptRole        ? UnsavedChoice::Save
           : role == QMessageBox::DestructiveRole ? UnsavedChoice::Discard
                                                  : UnsavedChoice::Cancel;
}

QMessageBox* TMainForm::MakeQuestionBox(QuestionKind kind, const QString& text) {
    auto* box = new QMessageBox(QMessageBox::Question, QStringLiteral("Korvaleplanung"), text,
                                QMessageBox::NoButton, this);
    box->setTextFormat(Qt::PlainText);
    if (kind == QuestionKind::Unsaved) {
        box->setWindowTitle(QStringLiteral("Ungesicherte Änderungen"));
        QPushButton* save = box->addButton(QStringLiteral("Speichern"), QMessageBox::AcceptRole);
        box->addButton(QStringLiteral("Verwerfen"), QMessageBox::DestructiveRole);
        QPushButton* cancel = box->addButton(QStringLiteral("Abbrechen"), QMessageBox::RejectRole);
        box->setDefaultButton(save);
        box->setEscapeButton(cancel);
    } else {
        box->setWindowTitle(QStringLiteral("Arbeit wiederherstellen"));
        QPushButton* restore =
            box->addButton(QStringLiteral("Wiederherstellen"), QMessageBox::YesRole);
        box->addButton(QStringLiteral("Verwerfen"), QMessageBox::NoRole);
        box->setDefaultButton(restore);
    }
    return box;
}

bool TMainForm::ConfirmDiscard(const QString& what, bool nameFieldIsTarget) {
    NoteChanges();
    if (!dirty_)
        return true;
    // The work goes to its own file: the name field may already name the project to be loaded
    // next, which must not be overwritten with this one.
    QString target = projectFile_;
    if (target.isEmpty() && nameFieldIsTarget)
        target = FilePath(EditKVName->text());
    const QString shown =
        target.isEmpty() ? QStringLiteral("(ohne Namen)") : QFileInfo(target).fileName();
    switch (AskUnsaved(QStringLiteral("Die Karte „%1“ hat ungesicherte Änderungen (Punkte, "
                                      "Transformation oder Kartenkopie).\nVor %2 speichern?")
                           .arg(shown, what))) {
    case UnsavedChoice::Discard:
        return true;
    case UnsavedChoice::Cancel:
        return false;
    case UnsavedChoice::Save:
        break;
    }
    if (target.isEmpty())
        target = AskFileName(FileDialogKind::Save, QStringLiteral("Karte sichern unter"),
                             QStringLiteral("Karte.dat"));
    if (target.isEmpty())
        return false;
    const QString typed = EditKVName->text();
    EditKVName->setText(target);
    bool saved = false;
    Guard([this, &saved] {
        ButtonSaveKVClick();
        saved = true;
    });
    if (!nameFieldIsTarget)
        EditKVName->setText(typed);
    return saved && !dirty_;
}

// ---- Autosave -----------------------------------------------------------------------------

void TMainForm::StartAutosave() {
    const QString folder = AutosaveFolder();
    if (!QDir().mkpath(folder))
        return;
    // One window autosaves into the folder; a second one started beside it neither writes
    // there nor offers the first one's work. A lock left by a killed run is taken over.
    auto lock = std::make_unique<QLockFile>(folder + QStringLiteral("/korvale.lock"));
    lock->setStaleLockTime(0);
    if (!lock->tryLock(0))
        return;
    autosaveLock_ = lock.release();
    autosaveTimer_ = new QTimer(this);
    autosaveTimer_->setInterval(kAutosaveMinutes * 60 * 1000);
    connect(autosaveTimer_, &QTimer::timeout, this, [this] { Autosave(); });
    autosaveTimer_->start();
}

void TMainForm::Autosave() {
    if (!autosaveLock_ || ImageViewer1->image().isNull())
        return;
    NoteChanges();
    const QByteArray now = ProjectFingerprint();
    if (!dirty_ || now == autosavedFingerprint_)
        return;
    try {
        const std::string bytes = korvale::ProjectBytesToSave(state_);
        if (autosaveJpegKey_ != ImageViewer1->image().cacheKey()) {
            autosaveJpeg_ = MapCopyJpeg();
            autosaveJpegKey_ = ImageViewer1->image().cacheKey();
        }
        const std::string path = AutosaveData().toStdString();
        const QByteArray name =
            (projectFile_.isEmpty() ? FilePath(EditKVName->text()) : projectFile_).toUtf8();
        korvale::WriteFilesAtomic(
            {{korvale::ProjectImageName(path),
              std::string_view(autosaveJpeg_.constData(),
                               static_cast<std::size_t>(autosaveJpeg_.size()))},
             {AutosaveName().toStdString(),
              std::string_view(name.constData(), static_cast<std::size_t>(name.size()))},
             {path, bytes}});
        autosavedFingerprint_ = now;
    } catch (const korvale::Error& e) {
        // The work goes on; the user learns that it is not kept, without a box in the way.
        SetStatus(QStringLiteral("Automatische Sicherung fehlgeschlagen: ") +
                  QString::fromUtf8(e.what()).section(QLatin1Char('\n'), 0, 0));
    }
}

void TMainForm::RemoveAutosave() {
    if (!autosaveLock_)
        return;
    const std::string path = AutosaveData().toStdString();
    // The data file first: without it there is nothing to offer.
    QFile::remove(AutosaveData());
    QFile::remove(QString::fromStdString(korvale::ProjectImageName(path)));
    QFile::remove(AutosaveName());
    autosavedFingerprint_.clear();
}

bool TMainForm::OfferRecovery() {
    if (!autosaveLock_ || !QFileInfo::exists(AutosaveData()))
        return false;
    const QFileInfo info(AutosaveData());
    const QDateTime t = info.lastModified();
    const QString when = QString::fromStdString(korvale::Format(
        "%.2d.%.2d.%d um %.2d:%.2d Uhr",
        {t.date().day(), t.date().month(), t.date().year(), t.time().hour(), t.time().minute()}));
    QFile nameFile(AutosaveName());
    QString name;
    if (nameFile.open(QIODevice::ReadOnly))
        name = QString::fromUtf8(nameFile.readAll());
    const QString text =
        QStringLiteral("Korvale wurde beim letzten Mal nicht regulär beendet.\nEs gibt eine "
                       "automatische Sicherung der Karte „%1“ vom %2.\nSoll diese Arbeit "
                       "wiederhergestellt werden? (Verwerfen löscht die Sicherung.)")
            .arg(name.isEmpty() ? QStringLiteral("(ohne Namen)") : QFileInfo(name).fileName(),
                 when);
    bool restore = false;
    if (questionHook) {
        restore = questionHook(text);
    } else {
        std::unique_ptr<QMessageBox> box(MakeQuestionBox(QuestionKind::Recovery, text));
        box->exec();
        restore = box->buttonRole(box->clickedButton()) == QMessageBox::YesRole;
    }
    if (!restore) {
        RemoveAutosave();
        return false;
    }
    bool loaded = false;
    Guard([&] {
        FailureTitle(QStringLiteral("Wiederherstellen fehlgeschlagen"));
        LoadProjectFrom(AutosaveData().toStdString());
        loaded = true;
    });
    if (!loaded)
        return false;
    projectFile_ = name;
    if (!name.isEmpty())
        EditKVName->setText(name);
    AfterProjectLoaded();
    // The recovered work is in no project file yet.
    savedFingerprint_ = QByteArray("recovered");
    NoteChanges();
    SetStatus(QStringLiteral("Arbeit wiederhergestellt: %1 Punkte; bitte mit „Karte sichern“ "
                             "speichern.")
                  .arg(state_.Points.size()));
    return true;
}

// ---- Values outside a box's range ---------------------------------------------------------

void TMainForm::NumberBoxClamped(korvale::NumberBoxWidget* box, double entered) {
    const korvale::NumberBox& b = *box->box();
    const QString name =
        box->accessibleName().isEmpty() ? box->objectName() : box->accessibleName();
    QString text = QString::fromStdString(korvale::Format(
        "%s: %s liegt außerhalb von %s bis %s; eingetragen ist %s.",
        {name.toStdString(), korvale::FormatGeneral(entered), korvale::FormatGeneral(b.Min()),
         korvale::FormatGeneral(b.Max()), b.Text()}));
    const bool planning =
        box == NumberBoxH || box == NumberBoxP || box == NumberBoxQ || box == NumberBoxV;
    if (planning && (!state_.CutPoints.empty() || !state_.FlightSegs.empty())) {
        state_.CutPoints.clear();
        state_.FlightSegs.clear();
        for (korvale::NumberBox* r :
             {&param_.NumberBoxStreifen, &param_.NumberBoxWeg, &param_.NumberBoxBilder,
              &param_.NumberBoxAkkus, &param_.NumberBoxDateien, &param_.NumberBoxFlugzeit})
            r->SetValue(0);
        RefreshParameterPage();
        QWidget* page = Tabcontrol1->currentWidget();
        Redraw(false);
        Tabcontrol1->setCurrentWidget(page); // the user is typing on this page
        text += QStringLiteral(" Der Flugplan gehörte zum alten Wert und ist entfernt; "
                               "„Calc Raster“ plant neu.");
    }
    SetStatus(text);
}
