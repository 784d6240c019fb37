#include <gtest/gtest.h>

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <string>
#include <vector>

#include "capture_builder.h"

namespace {

struct LoggerRun {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

LoggerRun runLogger(const QStringList& args, const QByteArray& stdinBytes = {}) {
    QProcess process;
    process.start(QStringLiteral(ZINTAVO_LOG_BINARY), args);
    EXPECT_TRUE(process.waitForStarted());
    process.write(stdinBytes);
    process.closeWriteChannel();
    EXPECT_TRUE(process.waitForFinished(20000));
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit) << "crashed";
    return {process.exitCode(), process.readAllStandardOutput(), process.readAllStandardError()};
}

QByteArray bytesOf(const CaptureBuilder& capture) {
    const auto& s = capture.stream();
    return QByteArray(reinterpret_cast<const char*>(s.data()), static_cast<qsizetype>(s.size()));
}

// Each line must be "<date and time><tail>\r\n" with the date and time of
// processing in the log's 21-character form; only the tails are compared.
std::vector<std::string> tailsOf(const QByteArray& out) {
    static const QRegularExpression stamp(
        QStringLiteral("^[ 1][0-9]/[0-3][0-9]/[0-9]{4} [ 1][0-9]:[0-5][0-9]:[0-5][0-9][AP]M$"));
    std::vector<std::string> tails;
    qsizetype at = 0;
    while (at < out.size()) {
        const qsizetype end = out.indexOf("\r\n", at);
        EXPECT_NE(end, -1) << "line without CR LF";
        if (end == -1) break;
        const QByteArray line = out.mid(at, end - at);
        EXPECT_TRUE(stamp.match(QString::fromLatin1(line.left(21))).hasMatch())
            << line.toStdString();
        tails.push_back(line.mid(21).toStdString());
        at = end + 2;
    }
    return tails;
}

const FrameSpec kVolts{.function = 1, .range = 3, .count = 4660};
const std::string kVoltsTail = "   46.60 VDC";

TEST(ZintavoLog, LogsWhatTheProgramWouldLog) {
    struct Case {
        const char* what;
        CaptureBuilder capture;
        std::vector<std::string> tails;
    };
    const FrameSpec held{.function = 1, .range = 3, .count = 4660, .status = MeterReading::kHold};
    const Case cases[] = {
        {"one frame", CaptureBuilder().frame(kVolts), {kVoltsTail}},
        {"stray bytes are lost with the frame they run into",
         CaptureBuilder().bytes({0x00, 0x55}).frame(kVolts).frame({.function = 1, .count = 7}),
         {"      7 VDC"}},
        {"a stray frame end is cut off on its own",
         CaptureBuilder().bytes({0x12, 0xE5}).frame(kVolts),
         {kVoltsTail}},
        {"a cut frame spoils the next, the one after decodes",
         CaptureBuilder().cutFrame(kVolts, 9).frame(kVolts).frame(kVolts),
         {kVoltsTail}},
        {"250 bytes without a frame end are one dropped candidate",
         CaptureBuilder().bytes(std::vector<std::uint8_t>(250, 0x31)).frame(kVolts),
         {kVoltsTail}},
        {"249 stray bytes spoil the frame",
         CaptureBuilder().bytes(std::vector<std::uint8_t>(249, 0x31)).frame(kVolts),
         {}},
        {"held and over-range readings are not logged",
         CaptureBuilder()
             .frame(held)
             .frame({.function = 3, .count = 42000})
             .frame({.function = 3, .subfunction = 1, .count = 20000})
             .frame({.function = 4, .count = 2400})
             .frame({.function = 10, .count = 1}),
         {}},
        {"the largest in-range counts are logged",
         CaptureBuilder()
             .frame({.function = 3, .range = 1, .count = 41999})
             .frame({.function = 4, .count = 2399}),
         {"  4.1999 KOhms",
          "   239.9 \xB0"
          "C"}},
        {"a frame with a wrong position nibble is dropped",
         CaptureBuilder().bytes(
             {0x10, 0x20, 0x31, 0x42, 0x53, 0x64, 0x70, 0x83, 0x90, 0xA1, 0xB0, 0xD0, 0xC0, 0xE0}),
         {}},
        {"empty input", CaptureBuilder(), {}},
    };
    for (const Case& c : cases) {
        const LoggerRun run =
            runLogger({QStringLiteral("--input"), QStringLiteral("-")}, bytesOf(c.capture));
        EXPECT_EQ(run.exitCode, 0) << c.what;
        EXPECT_EQ(tailsOf(run.out), c.tails) << c.what;
        EXPECT_TRUE(run.err.isEmpty()) << c.what << ": " << run.err.toStdString();
    }
}

TEST(ZintavoLog, EveryFunctionCode) {
    struct Case {
        FrameSpec frame;
        std::string tail;
    };
    const Case cases[] = {
        {{.function = 0, .range = 1, .count = 1234}, "  0.1234 Vac"},
        {{.function = 0, .subfunction = 1, .range = 2, .count = 12345}, "  1.2345 KHz"},
        {{.function = 0, .subfunction = 2, .range = 2, .count = 5000}, "   5.000 %"},
        {{.function = 1, .range = 3, .count = 345, .negative = true}, "   -3.45 VDC"},
        {{.function = 2, .range = 5, .count = 12345}, "  1.2345 MHz"},
        {{.function = 2, .subfunction = 1, .count = 4999}, "   49.99 %"},
        {{.function = 3, .range = 0, .count = 1000}, "   10.00 Ohms"},
        {{.function = 3, .subfunction = 1, .count = 5678}, "  0.5678 V.Diode"},
        {{.function = 3, .subfunction = 2, .count = 120}, "    1.20 Ohms.Cont."},
        {{.function = 3, .subfunction = 3, .range = 3, .count = 1000},
         "  0.1000 \xB5"
         "F"},
        {{.function = 3, .subfunction = 3, .range = 6, .count = 2}, "  0.0002 mF"},
        {{.function = 4, .subfunction = 1, .count = 985},
         "    98.5 \xB0"
         "F"},
        {{.function = 5, .count = 1500}, "  0.1500 A DC"},
        {{.function = 6, .subfunction = 1, .range = 1, .count = 12345}, "  123.45 mA AC"},
        {{.function = 7, .count = 500}, "    5.00 %"},
        {{.function = 8, .count = 250, .negative = true},
         "   -2.50 \xB5"
         "A DC"},
        {{.function = 8, .range = 2, .count = 65535},
         "  65535. \xB5"
         "A DC"},
        {{.function = 9, .subfunction = 1, .count = 999}, "    9.99 mV AC"},
        {{.function = 11, .count = 7}, "      7 NC"},
    };
    CaptureBuilder capture;
    std::vector<std::string> expected;
    for (const Case& c : cases) {
        capture.frame(c.frame);
        expected.push_back(c.tail);
    }
    const LoggerRun run =
        runLogger({QStringLiteral("--input"), QStringLiteral("-")}, bytesOf(capture));
    EXPECT_EQ(run.exitCode, 0);
    const auto tails = tailsOf(run.out);
    ASSERT_EQ(tails.size(), expected.size());
    for (std::size_t i = 0; i < tails.size(); ++i)
        EXPECT_EQ(tails[i], expected[i]) << "function " << int{cases[i].frame.function};
}

class ZintavoLogFiles : public ::testing::Test {
  protected:
    QString path(const char* name) const { return dir.filePath(QString::fromLatin1(name)); }
    void write(const QString& file, const QByteArray& bytes) const {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    static QByteArray read(const QString& file) {
        QFile f(file);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    QTemporaryDir dir;
};

TEST_F(ZintavoLogFiles, CountStopsAfterThatManyLoggedLines) {
    CaptureBuilder capture;
    capture.frame({.function = 1, .count = 1})
        .frame({.function = 1, .count = 2, .status = MeterReading::kHold});
    for (std::uint16_t n = 3; n <= 6; ++n) capture.frame({.function = 1, .count = n});
    write(path("in.bin"), bytesOf(capture));
    struct Case {
        QString count;
        std::vector<std::string> tails;
    };
    const Case cases[] = {
        {QStringLiteral("1"), {"      1 VDC"}},
        {QStringLiteral("2"), {"      1 VDC", "      3 VDC"}},
        {QStringLiteral("99"),
         {"      1 VDC", "      3 VDC", "      4 VDC", "      5 VDC", "      6 VDC"}},
    };
    for (const Case& c : cases) {
        const LoggerRun run = runLogger(
            {QStringLiteral("--input"), path("in.bin"), QStringLiteral("--count"), c.count});
        EXPECT_EQ(run.exitCode, 0);
        EXPECT_EQ(tailsOf(run.out), c.tails) << c.count.toStdString();
    }
}

TEST_F(ZintavoLogFiles, OutputAppendsToTheFile) {
    write(path("in.bin"), bytesOf(CaptureBuilder().frame(kVolts)));
    write(path("out.log"), "earlier line\r\n");
    const QStringList args{QStringLiteral("--input"), path("in.bin"), QStringLiteral("--output"),
                           path("out.log")};
    for (int i = 0; i < 2; ++i) {
        const LoggerRun run = runLogger(args);
        EXPECT_EQ(run.exitCode, 0);
        EXPECT_TRUE(run.out.isEmpty());
    }
    const QByteArray log = read(path("out.log"));
    ASSERT_TRUE(log.startsWith("earlier line\r\n"));
    EXPECT_EQ(tailsOf(log.mid(14)), (std::vector<std::string>{kVoltsTail, kVoltsTail}));
}

TEST_F(ZintavoLogFiles, FailuresExitWithOneLineOnStderr) {
    write(path("in.bin"), bytesOf(CaptureBuilder().frame(kVolts)));
    QDir(dir.path()).mkdir(QStringLiteral("folder"));
    const QString in = path("in.bin");
    struct Case {
        QStringList args;
        int exitCode;
    };
    const Case cases[] = {
        {{}, 2},
        {{QStringLiteral("--frobnicate")}, 2},
        {{QStringLiteral("--input")}, 2},
        {{QStringLiteral("--input"), in, QStringLiteral("--count"), QStringLiteral("0")}, 2},
        {{QStringLiteral("--input"), in, QStringLiteral("--count"), QStringLiteral("-3")}, 2},
        {{QStringLiteral("--input"), in, QStringLiteral("--count=x")}, 2},
        {{QStringLiteral("--input"), in, QStringLiteral("--port"), QStringLiteral("3")}, 2},
        {{QStringLiteral("--port"), QStringLiteral("0")}, 2},
        {{QStringLiteral("--port"), QStringLiteral("256")}, 2},
        {{QStringLiteral("--input"), in, QStringLiteral("--baud"), QStringLiteral("9600")}, 2},
        {{QStringLiteral("--input"), in, QStringLiteral("--seconds"), QStringLiteral("nan")}, 2},
        {{QStringLiteral("--input"), path("missing.bin")}, 1},
        {{QStringLiteral("--input"), path("folder")}, 1},
        {{QStringLiteral("--input"), in, QStringLiteral("--output"), path("folder")}, 1},
        {{QStringLiteral("--input"), in, QStringLiteral("--output"), path("no/such/dir.log")}, 1},
    };
    for (const Case& c : cases) {
        const LoggerRun run = runLogger(c.args);
        const std::string what = c.args.join(QLatin1Char(' ')).toStdString();
        EXPECT_EQ(run.exitCode, c.exitCode) << what;
        EXPECT_TRUE(run.out.isEmpty()) << what;
        EXPECT_TRUE(run.err.startsWith("zintavo-log: ")) << what;
        EXPECT_EQ(run.err.count('\n'), 1) << what << ": " << run.err.toStdString();
    }
}

TEST(ZintavoLog, HelpGoesToStdoutWithExitZero) {
    for (const char* option : {"--help", "-h"}) {
        const LoggerRun run = runLogger({QString::fromLatin1(option)});
        EXPECT_EQ(run.exitCode, 0);
        EXPECT_TRUE(run.out.startsWith("Usage: zintavo-log")) << option;
        EXPECT_TRUE(run.err.isEmpty());
    }
}

TEST(ZintavoLog, TerminationEndsAnOpenStreamWithEveryLineWritten) {
    QProcess process;
    process.start(QStringLiteral(ZINTAVO_LOG_BINARY),
                  {QStringLiteral("--input"), QStringLiteral("-")});
    ASSERT_TRUE(process.waitForStarted());
    process.write(bytesOf(CaptureBuilder().frame(kVolts).frame(kVolts)));
    QByteArray out;
    while (out.count('\n') < 2 && process.waitForReadyRead(5000))
        out += process.readAllStandardOutput();
    process.terminate();  // SIGTERM while stdin stays open
    ASSERT_TRUE(process.waitForFinished(5000));
    out += process.readAllStandardOutput();
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(process.exitCode(), 0);
    EXPECT_EQ(tailsOf(out), (std::vector<std::string>{kVoltsTail, kVoltsTail}));
}

TEST(ZintavoLog, SecondsEndAStreamThatStaysOpen) {
    QProcess process;
    process.start(QStringLiteral(ZINTAVO_LOG_BINARY),
                  {QStringLiteral("--input"), QStringLiteral("-"), QStringLiteral("--seconds"),
                   QStringLiteral("0.3")});
    ASSERT_TRUE(process.waitForStarted());
    process.write(bytesOf(CaptureBuilder().frame(kVolts)));
    ASSERT_TRUE(process.waitForFinished(5000));
    EXPECT_EQ(process.exitCode(), 0);
    EXPECT_EQ(tailsOf(process.readAllStandardOutput()), std::vector<std::string>{kVoltsTail});
}

}  // namespace

namespace {

TEST(ZintavoLog, ShippedSampleCaptureIsTheGeneratedOne) {
    QTemporaryDir dir;
    const QString fresh = dir.filePath(QStringLiteral("capture.bin"));
    QProcess maker;
    maker.start(QStringLiteral(MAKE_SAMPLE_CAPTURE_BINARY), {fresh});
    ASSERT_TRUE(maker.waitForFinished(10000));
    ASSERT_EQ(maker.exitCode(), 0);
    QFile shipped(QStringLiteral(SAMPLE_CAPTURE_FILE));
    QFile made(fresh);
    ASSERT_TRUE(shipped.open(QIODevice::ReadOnly));
    ASSERT_TRUE(made.open(QIODevice::ReadOnly));
    EXPECT_EQ(shipped.readAll(), made.readAll()) << "regenerate with make_sample_capture";

    // Noise spoils the first frame, a cut frame the one after it; over-range
    // and held readings are shown but not logged.
    const LoggerRun run =
        runLogger({QStringLiteral("--input"), QStringLiteral(SAMPLE_CAPTURE_FILE)});
    EXPECT_EQ(run.exitCode, 0);
    const auto tails = tailsOf(run.out);
    ASSERT_EQ(tails.size(), 32u);
    EXPECT_EQ(tails.front(), "    5.07 VDC");
    EXPECT_EQ(tails[23], "  0.4700 KOhms");
    EXPECT_EQ(tails[25],
              "  -123.4 \xB5"
              "A DC");
    EXPECT_EQ(tails.back(), "  0.5005 KHz");
}

}  // namespace

#ifdef ZINTAVO_SIM_BINARY
namespace {

// A simulated meter linked as COM201 in a private settings folder, which the
// logger's port map shares through XDG_CONFIG_HOME.
class ZintavoLogLive : public ::testing::Test {
  protected:
    void SetUp() override {
        env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), config.path());
    }
    void TearDown() override {
        if (sim.state() != QProcess::NotRunning) {
            sim.terminate();
            sim.waitForFinished(5000);
        }
    }
    void startMeter() {
        sim.setProcessEnvironment(env);
        sim.start(QStringLiteral(ZINTAVO_SIM_BINARY),
                  {QStringLiteral("--port"), QStringLiteral("201"), QStringLiteral("--rate"),
                   QStringLiteral("10")});
        ASSERT_TRUE(sim.waitForStarted());
        QByteArray ready;
        while (!ready.contains('\n') && sim.waitForReadyRead(5000))
            ready += sim.readAllStandardOutput();
        ASSERT_TRUE(ready.startsWith("COM201 ")) << ready.toStdString();
    }
    LoggerRun logLive(const QStringList& args) {
        QProcess logger;
        logger.setProcessEnvironment(env);
        logger.start(QStringLiteral(ZINTAVO_LOG_BINARY), args);
        EXPECT_TRUE(logger.waitForFinished(20000));
        EXPECT_EQ(logger.exitStatus(), QProcess::NormalExit);
        return {logger.exitCode(), logger.readAllStandardOutput(), logger.readAllStandardError()};
    }

    QTemporaryDir config;
    QProcessEnvironment env;
    QProcess sim;
};

TEST_F(ZintavoLogLive, CountEndsALivePortRun) {
    startMeter();
    struct Case {
        QStringList args;
        const char* note;
    };
    const Case cases[] = {
        {{QStringLiteral("--port"), QStringLiteral("201"), QStringLiteral("--count"),
          QStringLiteral("3")},
         ""},
        {{QStringLiteral("--port"), QStringLiteral("auto"), QStringLiteral("--count"),
          QStringLiteral("3")},
         "zintavo-log: meter found on COM201\n"},
    };
    for (const Case& c : cases) {
        const LoggerRun run = logLive(c.args);
        EXPECT_EQ(run.exitCode, 0);
        EXPECT_EQ(tailsOf(run.out).size(), 3u);
        EXPECT_EQ(run.err.toStdString(), c.note);
    }
    EXPECT_FALSE(QFile::exists(config.filePath(QStringLiteral("Vorrelind/Zintavo.conf"))))
        << "the logger never writes the program's settings";
}

TEST_F(ZintavoLogLive, InterruptOrSecondsEndALivePortRun) {
    startMeter();
    QProcess logger;
    logger.setProcessEnvironment(env);
    logger.start(QStringLiteral(ZINTAVO_LOG_BINARY),
                 {QStringLiteral("--port"), QStringLiteral("201")});
    QByteArray out;
    while (!out.contains('\n') && logger.waitForReadyRead(5000))
        out += logger.readAllStandardOutput();
    logger.terminate();
    ASSERT_TRUE(logger.waitForFinished(5000));
    out += logger.readAllStandardOutput();
    EXPECT_EQ(logger.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(logger.exitCode(), 0);
    EXPECT_FALSE(tailsOf(out).empty());

    const LoggerRun timed = logLive({QStringLiteral("--port"), QStringLiteral("201"),
                                     QStringLiteral("--seconds"), QStringLiteral("1")});
    EXPECT_EQ(timed.exitCode, 0);
    EXPECT_FALSE(tailsOf(timed.out).empty());
}

TEST_F(ZintavoLogLive, NoMeterIsAnInputFailure) {
    struct Case {
        QStringList args;
        const char* error;
    };
    const Case cases[] = {
        {{QStringLiteral("--port"), QStringLiteral("201")},
         "zintavo-log: no device is known as COM201\n"},
        {{QStringLiteral("--port"), QStringLiteral("auto")},
         "zintavo-log: no port carries a meter\n"},
    };
    for (const Case& c : cases) {
        const LoggerRun run = logLive(c.args);
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_TRUE(run.out.isEmpty());
        EXPECT_EQ(run.err.toStdString(), c.error);
    }
}

}  // namespace
#endif
