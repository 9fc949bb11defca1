// The programs answer --version on a machine without any display: nothing of
// the window system may start before they are answered.
#include <QProcess>
#include <QTest>

class TestVersions : public QObject {
    Q_OBJECT
private slots:
    void answeredWithoutDisplay_data()
    {
        QTest::addColumn<QString>("program");
        QTest::addColumn<QString>("option");
        QTest::addColumn<QByteArray>("start"); // of standard output

        QTest::newRow("editor version") << "glyphscape"
                                        << "--version" << QByteArray("glyphscape 0.005b\n");
        QTest::newRow("batch version") << "glyphscape-batch"
                                       << "--version" << QByteArray("glyphscape-batch 0.005b\n");
    }

    void answeredWithoutDisplay()
    {
        QFETCH(QString, program);
        QFETCH(QString, option);
        QFETCH(QByteArray, start);
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            environment.remove(QString::fromLatin1(name));
        QProcess process;
        process.setProcessEnvironment(environment);
        process.start(qEnvironmentVariable("GLYPHSCAPE_BINARY_DIR") + "/bin/" + program, {option});
        QVERIFY(process.waitForFinished(30000));
        QCOMPARE(process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(process.exitCode(), 0);
        QVERIFY2(process.readAllStandardOutput().startsWith(start), start);
        QCOMPARE(process.readAllStandardError(), QByteArray());
    }
};

QTEST_GUILESS_MAIN(TestVersions)
#include "tst_versions.moc"
