// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// The installed program, as a user starts it: from the staged installation (DESTDIR), from a
// working directory of its own, offscreen. Its start-up report (KORVALE_STARTUP_REPORT) tells
// what the window showed.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QImage>
#include <QMap>
#include <QProcess>
#include <QTemporaryDir>

#include <string>

#include "georef/project.h"

namespace {

const QString kPrefix = QStringLiteral(KORVALE_STAGE_PREFIX);

struct Outcome {
    int exitCode = -1;
    QString out;
    QString err;
};

// Runs an installed command in `workDir`. `display` false takes every way to a screen away, as
// in a terminal without a desktop.
Outcome Start(const QString& command, const QStringList& args, const QString& workDir,
              bool display = true, const QString& report = {}) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("DISPLAY"));
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    env.remove(QStringLiteral("KORVALE_STARTUP_REPORT"));
    if (display)
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    else
        env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    env.insert(QStringLiteral("QTWEBENGINE_CHROMIUM_FLAGS"),
               QStringLiteral("--no-sandbox --disable-gpu"));
    if (!report.isEmpty())
        env.insert(QStringLiteral("KORVALE_STARTUP_REPORT"), report);
    // Every start begins from the start values: settings of earlier starts (the user's, or
    // those this test's starts save on closing) would change what the window shows.
    QTemporaryDir config;
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), config.path());
    QProcess p;
    p.setProcessEnvironment(env);
    p.setWorkingDirectory(workDir);
    p.start(kPrefix + QStringLiteral("/bin/") + command, args);
    Outcome r;
    if (!p.waitForFinished(120000)) {
        p.kill();
        p.waitForFinished();
        r.err = QStringLiteral("did not finish");
        return r;
    }
    r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = QString::fromUtf8(p.readAllStandardOutput());
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

struct Report {
    QMap<QString, QString> values;
    QStringList messages;
};

// Starts the window with the start-up report and reads the report back.
Report StartWindow(const QStringList& args, const QString& workDir) {
    const QString path = QDir(workDir).filePath(QStringLiteral("report.txt"));
    const Outcome r = Start(QStringLiteral("korvale"), args, workDir, true, path);
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    Report rep;
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        ADD_FAILURE() << "no report";
        return rep;
    }
    for (const QString& line : QString::fromUtf8(f.readAll()).split('\n', Qt::SkipEmptyParts)) {
        const QString key = line.section('=', 0, 0), value = line.section('=', 1);
        if (key == QLatin1String("message"))
            rep.messages << value;
        else
            rep.values[key] = value;
    }
    EXPECT_TRUE(QFile::exists(path + QStringLiteral(".png")));
    return rep;
}

QStringList HelpLines() {
    QFile f(QStringLiteral(KORVALE_SOURCE_DIR "/Help.txt"));
    EXPECT_TRUE(f.open(QIODevice::ReadOnly));
    return QString::fromUtf8(f.readAll()).split('\n');
}

void WriteBytes(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    ASSERT_EQ(f.write(bytes), bytes.size());
}

// A small map project: three points and a 64 x 48 map copy, written by the core's encoder.
void WriteProject(const QString& dir, const QString& name) {
    korvale::State s;
    s.TrafO = 0.25;
    s.TrafA = 0.5;
    s.TrafYbs = 30;
    s.TrafXbs = 20;
    s.TrafYs = 32500100;
    s.TrafXs = 5300100;
    for (int i = 0; i < 3; ++i) {
        korvale::TPt p;
        p.E = 32500000 + 10.0 * i;
        p.N = 5300000 + 5.0 * i;
        p.xb = 10.0f + 15.0f * static_cast<float>(i);
        p.yb = 90.0f + 10.0f * static_cast<float>(i);
        p.Typ = static_cast<std::uint8_t>(i == 0 ? 1 : 2);
        s.Points.push_back(p);
    }
    const std::string data = korvale::EncodeProject(s);
    WriteBytes(QDir(dir).filePath(name), QByteArray(data.data(), static_cast<int>(data.size())));
    QImage map(64, 48, QImage::Format_RGB32);
    map.fill(qRgb(210, 210, 200));
    const std::string image = korvale::ProjectImageName(QDir(dir).filePath(name).toStdString());
    ASSERT_TRUE(map.save(QString::fromStdString(image), "JPG"));
}

TEST(Installed, HoldsTheCommandsAndTheirDataButNothingOfTheTests) {
    const QStringList must = {
        "bin/korvale",
        "share/korvale/Help.txt",
        "share/korvale/drones.json", // the drone profiles of korvale-plan --drone and "Schreib KMZ"
        "share/applications/de.korvale.Korvale.desktop",
        "share/metainfo/de.korvale.Korvale.metainfo.xml",
        "share/mime/packages/de.korvale.Korvale.xml",
        "share/icons/hicolor/scalable/apps/de.korvale.Korvale.svg",
        "share/icons/hicolor/16x16/apps/de.korvale.Korvale.png",
        "share/icons/hicolor/256x256/apps/de.korvale.Korvale.png",
        "share/man/man1/korvale.1",
    };
    for (const QString& f : must)
        EXPECT_TRUE(QFileInfo(kPrefix + '/' + f).isFile()) << f.toStdString();
    if (KORVALE_HAS_PLAN) {
        EXPECT_TRUE(QFileInfo(kPrefix + "/bin/korvale-plan").isExecutable());
        EXPECT_TRUE(QFileInfo(kPrefix + "/share/man/man1/korvale-plan.1").isFile());
    }
    const QStringList allowed = {"bin/",
                                 "share/korvale/",
                                 "share/applications/",
                                 "share/metainfo/",
                                 "share/mime/packages/",
                                 "share/icons/hicolor/",
                                 "share/man/man1/"};
    QDirIterator it(kPrefix, QDir::Files, QDirIterator::Subdirectories);
    int files = 0;
    while (it.hasNext()) {
        const QString rel = QDir(kPrefix).relativeFilePath(it.next());
        ++files;
        const bool inPlace = std::any_of(allowed.begin(), allowed.end(),
                                         [&](const QString& a) { return rel.startsWith(a); });
        EXPECT_TRUE(inPlace) << rel.toStdString();
        EXPECT_FALSE(rel.contains("test", Qt::CaseInsensitive) ||
                     rel.contains("fixture", Qt::CaseInsensitive))
            << rel.toStdString();
    }
    EXPECT_GE(files, must.size());
}

TEST(Installed, HelpAndVersionNeedNoDisplay) {
    QTemporaryDir work;
    QStringList commands = {QStringLiteral("korvale")};
    if (KORVALE_HAS_PLAN)
        commands << QStringLiteral("korvale-plan");
    for (const QString& cmd : commands) {
        SCOPED_TRACE(cmd.toStdString());
        const Outcome help = Start(cmd, {QStringLiteral("--help")}, work.path(), false);
        EXPECT_EQ(help.exitCode, 0) << help.err.toStdString();
        EXPECT_TRUE(help.out.startsWith(QStringLiteral("Aufruf: ") + cmd))
            << help.out.toStdString();
        EXPECT_TRUE(help.out.contains(QStringLiteral("--version")));
        EXPECT_TRUE(help.out.contains(QStringLiteral("Ausführlich: man ") + cmd));

        const Outcome version = Start(cmd, {QStringLiteral("--version")}, work.path(), false);
        EXPECT_EQ(version.exitCode, 0) << version.err.toStdString();
        EXPECT_TRUE(version.out.startsWith(cmd + QStringLiteral(" 1.01 (Build ")))
            << version.out.toStdString();
        EXPECT_TRUE(version.out.contains(QStringLiteral("\nLizenz: GPL-3.0-or-later")))
            << version.out.toStdString();
    }
    // The window's help answers before Qt looks at its own options or for a screen.
    const Outcome late =
        Start(QStringLiteral("korvale"),
              {QStringLiteral("-platform"), QStringLiteral("xcb"), QStringLiteral("-h")},
              work.path(), false);
    EXPECT_EQ(late.exitCode, 0) << late.err.toStdString();
    EXPECT_TRUE(late.out.contains(QStringLiteral("DATEI")));
}

TEST(Installed, WindowFindsItsHelpFromAnotherWorkingDirectory) {
    QTemporaryDir work; // holds no Help.txt
    const Report rep = StartWindow({}, work.path());
    EXPECT_EQ(rep.values.value("window"), "visible");
    EXPECT_EQ(rep.values.value("title"), "Korvaleplanung Ver. 1.01");
    const QStringList help = HelpLines();
    EXPECT_EQ(rep.values.value("help_first"), help.front());
    EXPECT_GE(rep.values.value("help_lines").toInt(), help.size() - 1);
    EXPECT_EQ(rep.values.value("points"), "0");
    EXPECT_TRUE(rep.messages.isEmpty()) << rep.messages.join(" / ").toStdString();
}

TEST(Installed, OpensTheProjectNamedOnTheCommandLine) {
    QTemporaryDir work;
    WriteProject(work.path(), QStringLiteral("Heim.dat"));
    // A relative name, as typed in a terminal; and "--" before a name that starts with "-".
    WriteProject(work.path(), QStringLiteral("-Feld.dat"));
    const QStringList cases[] = {{QStringLiteral("Heim.dat")},
                                 {QStringLiteral("--"), QStringLiteral("-Feld.dat")}};
    for (const QStringList& args : cases) {
        SCOPED_TRACE(args.join(' ').toStdString());
        const Report rep = StartWindow(args, work.path());
        EXPECT_EQ(rep.values.value("window"), "visible");
        EXPECT_EQ(rep.values.value("points"), "3");
        EXPECT_EQ(rep.values.value("map"), "64x48");
        EXPECT_EQ(rep.values.value("page"), "Kartenkopie");
        EXPECT_EQ(rep.values.value("project"), QDir(work.path()).filePath(args.back()));
        EXPECT_TRUE(rep.messages.isEmpty()) << rep.messages.join(" / ").toStdString();
    }
}

TEST(Installed, ADamagedProjectOpensNothing) {
    QTemporaryDir work;
    WriteProject(work.path(), QStringLiteral("Gut.dat"));
    QFile good(work.filePath(QStringLiteral("Gut.dat")));
    ASSERT_TRUE(good.open(QIODevice::ReadOnly));
    const QByteArray bytes = good.readAll();
    WriteBytes(work.filePath(QStringLiteral("Kurz.dat")), bytes.left(100));
    WriteBytes(work.filePath(QStringLiteral("OhneBild.dat")), bytes);

    struct Case {
        const char* file;
        const char* message;
    };
    const Case cases[] = {
        {"Kurz.dat", "Versuch hinter dem Dateiende zu lesen"},
        {"Fehlt.dat", "Datei nicht gefunden"},
        {"OhneBild.dat", "Datei nicht gefunden"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        const Report rep = StartWindow({QString::fromLatin1(c.file)}, work.path());
        EXPECT_EQ(rep.values.value("window"), "visible");
        EXPECT_EQ(rep.values.value("points"), "0");
        EXPECT_EQ(rep.values.value("map"), "0x0");
        EXPECT_EQ(rep.values.value("page"), "Korvale");
        EXPECT_EQ(rep.values.value("project"), "TrafPar.dat");
        ASSERT_EQ(rep.messages.size(), 1);
        EXPECT_TRUE(rep.messages.front().startsWith(QString::fromUtf8(c.message)))
            << rep.messages.front().toStdString();
    }
}

TEST(Installed, RefusesWhatItDoesNotUnderstand) {
    QTemporaryDir work;
    struct Case {
        QStringList args;
        const char* message;
    };
    const Case cases[] = {
        {{QStringLiteral("--gibtsnicht")}, "Unbekannte Option „--gibtsnicht“."},
        {{QStringLiteral("a.dat"), QStringLiteral("b.dat")}, "Nur ein Kartenprojekt"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args.join(' ').toStdString());
        const Outcome r = Start(QStringLiteral("korvale"), c.args, work.path());
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_TRUE(r.err.contains(QString::fromUtf8(c.message))) << r.err.toStdString();
        EXPECT_TRUE(r.err.contains(QStringLiteral("korvale --help")));
    }
}

} // namespace

int main(int argc, char** argv) {
    // Image plugins (JPEG) need the application object; no window is opened here.
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
