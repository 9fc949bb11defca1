// The text import window: what OK and Enter do, the refusals that keep it open, the encoding
// it reads a file in, and a fresh, modal window at each opening from the main window.
#include "core/Cp932.h"
#include "support/logic/SheetBuilder.h"
#include "support/ui/Controls.h"
#include "support/ui/FakeDialogs.h"
#include "ui/MainWindow.h"
#include "ui/TextImportDialog.h"

#include <QtTest>
#include <QtWidgets>

using namespace Qt::StringLiterals;

class TestTextImportDialog : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    const QString poem_ = writeTestFile(dir_.path(), QStringLiteral("poem.txt"), Cp932::encode(u"春a\r\nb c", {}));

    // Rows 1 and 2, columns 1 to 4, rows joined by "/", cells by "|".
    static QString cells(MainWindow &main)
    {
        QString cells;
        for (int i = 0; i < 8; ++i)
            cells += main.sheet().getCellText(i % 4 + 1, i / 4 + 1) + QStringLiteral("|||/|||").mid(i, 1);
        return cells;
    }

private slots:
    // Enter on a control with a path typed: closed?, choosers asked for, cells, each error message's first lines.
    void okAndEnter_data()
    {
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("outcome");

        const QString poured = u"1 0 春|a||/b |c||"_s, kept = u"0 0 Q|||/|||"_s;
        QTest::newRow("Enter in the path") << u"txtPath"_s << poem_ << poured;
        QTest::newRow("Enter on browse") << u"cmdRef"_s << poem_ << u"0 1 Q|||/|||"_s;
        QTest::newRow("Enter on Cancel") << u"cmdCancel"_s << poem_ << u"1 0 Q|||/|||"_s;
        QTest::newRow("no path") << u"cmdOK"_s << QString() << kept + u" ファイルを選択して下さい"_s;
        QTest::newRow("missing file") << u"cmdOK"_s << u"/nonexistent/poem.txt"_s << kept;
        QTest::newRow("Enter on the encoding") << u"cmbEncoding"_s << poem_ << poured;
        // This file fails from its first byte on, before any text is cleared.
        QTest::newRow("read failure") << u"cmdOK"_s << u"/proc/self/mem"_s
                                      << kept + u" 読み込みエラー\r\n/proc/self/mem"_s;
    }

    void okAndEnter()
    {
        QFETCH(QString, control);
        QFETCH(QString, path);
        QFETCH(QString, outcome);

        FakeDialogs dialogs;
        MainWindow main(dialogs);
        TextImportDialog window(main.document(), dialogs, &main);
        main.sheet().setCellText(1, 1, QStringLiteral("Q"));
        window.show();
        QApplication::setActiveWindow(&window);
        QVERIFY(QTest::qWaitForWindowActive(&window));
        QTest::keyClicks(findControl<QLineEdit>(window, "txtPath"), path);
        auto *pressed = window.findChild<QWidget *>(control);
        pressed->setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), pressed);
        QTest::keyClick(pressed, Qt::Key_Return);
        // The path stays as typed, to be corrected.
        QCOMPARE(findControl<QLineEdit>(window, "txtPath")->text(), path);
        QString seen = QStringLiteral("%1 %2 ").arg(!window.isVisible()).arg(dialogs.requests.size()) + cells(main);
        for (const ShownMessage &m : dialogs.messages)
            seen += u' ' + (m.icon == MessageIcon::Error ? m.text.section(u"\r\n"_s, 0, 1) : u"no icon"_s);
        QCOMPARE(seen, outcome);
    }

    // A poem in each encoding, the encoding chosen and the answers to the UTF-8 question: closed?,
    // questions asked, cells, each error message's last line.
    void encoding_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<QList<Answer>>("replies");
        QTest::addColumn<QString>("outcome");

        const QByteArray utf8 = u"春a\r\nb😀"_s.toUtf8(), sjis = Cp932::encode(u"春a\r\nb c", {});
        const QByteArray mark = "\xEF\xBB\xBF"_ba;
        const QString asUtf8 = u"1 0 春|a||/b|😀||"_s, kept = u"0 0 Q|||/|||"_s;
        const QString notUtf8 = u" This file is not UTF-8: line 2 holds bytes that UTF-8 does not allow."_s;
        QTest::newRow("ASCII asks nothing") << "ab"_ba << u"Shift_JIS"_s << QList<Answer>() << u"1 0 ab|||/|||"_s;
        QTest::newRow("UTF-8, read as UTF-8") << utf8 << u"Shift_JIS"_s << QList {Answer::Yes} << u"1 1 春|a||/b|😀||"_s;
        // 春 in UTF-8 is 譏 and ･ in Shift_JIS; the emoji's are a private-use character and one invalid pair.
        QTest::newRow("UTF-8, read as Shift_JIS")
            << utf8 << u"Shift_JIS"_s << QList {Answer::No} << u"1 1 譏|･a||/b|\uE05E|\uFFFD|"_s;
        QTest::newRow("UTF-8, cancelled") << utf8 << u"Shift_JIS"_s << QList {Answer::Cancel} << u"0 1 Q|||/|||"_s;
        QTest::newRow("UTF-8 chosen asks nothing") << utf8 << u"UTF-8"_s << QList<Answer>() << asUtf8;
        QTest::newRow("byte order mark") << mark + utf8 << u"Shift_JIS"_s << QList<Answer>() << asUtf8;
        QTest::newRow("Shift_JIS read as UTF-8")
            << sjis + "\r\nb"_ba << u"UTF-8"_s << QList<Answer>()
            << kept + u" This file is not UTF-8: line 1 holds bytes that UTF-8 does not allow."_s;
        QTest::newRow("byte order mark before Shift_JIS")
            << mark + "a\r\n"_ba + sjis << u"Shift_JIS"_s << QList<Answer>() << kept + notUtf8;
    }

    void encoding()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, chosen);
        QFETCH(QList<Answer>, replies);
        QFETCH(QString, outcome);

        FakeDialogs dialogs;
        dialogs.replies = replies;
        MainWindow main(dialogs);
        main.sheet().setCellText(1, 1, QStringLiteral("Q"));
        TextImportDialog window(main.document(), dialogs, &main);
        window.show();
        findControl<QLineEdit>(window, "txtPath")->setText(writeTestFile(dir_.path(), u"encoded.txt"_s, file));
        auto *encodings = findControl<QComboBox>(window, "cmbEncoding");
        encodings->setCurrentIndex(encodings->findText(chosen));
        QTest::mouseClick(findControl<QPushButton>(window, "cmdOK"), Qt::LeftButton);
        QString seen = QStringLiteral("%1 %2 ").arg(!window.isVisible()).arg(dialogs.questions.size()) + cells(main);
        for (const ShownMessage &m : dialogs.messages)
            seen += u' ' + (m.icon == MessageIcon::Error ? m.text.section(u"\r\n"_s, -1) : u"no icon"_s);
        QCOMPARE(seen, outcome);
    }

    // Each opening from the menu is a fresh modal window, the path empty and in focus, the
    // options cleared. A cancelled browse keeps the typed path; the options steer the pouring
    // on OK, and Cancel changes nothing.
    void eachOpeningIsFreshModalAndSteeredByItsOptions()
    {
        FakeDialogs dialogs;
        MainWindow main(dialogs);
        main.sheet().setCellColors(1, 1, 0x0000FF, 0);
        findControl<QLineEdit>(main, "txtBGcolor")->setText(u"#ff0000"_s);
        dialogs.answers << QString() << poem_; // the first browse is cancelled, later ones too
        for (const char *closer : {"cmdOK", "cmdCancel"}) {
            QTimer::singleShot(0, [&] {
                auto *window = qobject_cast<TextImportDialog *>(QApplication::activeModalWidget());
                QVERIFY(window);
                const auto closeAtLast = qScopeGuard([window] { // never hang in its loop
                    if (window->isVisible())
                        window->reject();
                });
                auto *path = findControl<QLineEdit>(*window, "txtPath");
                QCOMPARE(window->parentWidget(), &main);
                QCOMPARE(window->focusWidget(), path);
                QCOMPARE(path->text(), QString());
                QStringList order;
                for (QWidget *control = path; order.size() < 8; control = control->nextInFocusChain())
                    order << control->objectName();
                QCOMPARE(
                    order.join(u' '), u"txtPath cmdRef rdoText0 rdoText1 chkBackSkip cmdCancel cmdOK chkSpaceSkip"_s);
                auto *wrapped = findControl<QRadioButton>(*window, "rdoText1");
                auto *skipBack = findControl<QCheckBox>(*window, "chkBackSkip");
                auto *skipSpace = findControl<QCheckBox>(*window, "chkSpaceSkip");
                QVERIFY(!wrapped->isChecked() && !skipBack->isChecked() && !skipSpace->isChecked());

                path->setText(u"typed.txt"_s);
                QTest::mouseClick(findControl<QPushButton>(*window, "cmdRef"), Qt::LeftButton);
                QCOMPARE(path->text(), u"typed.txt"_s);
                QTest::mouseClick(findControl<QPushButton>(*window, "cmdRef"), Qt::LeftButton);
                wrapped->setChecked(true);
                skipBack->setChecked(true);
                skipSpace->setChecked(true);
                QTest::mouseClick(findControl<QPushButton>(*window, closer), Qt::LeftButton);
            });
            findControl<QAction>(main, "ImportText")->trigger();
            // Flowing past the red background cell, the blank removed; the Cancel changes nothing.
            QCOMPARE(cells(main), u"|春|a|bc/|||"_s);
        }
        QVERIFY(main.findChildren<TextImportDialog *>().isEmpty());
    }
};

QTEST_MAIN(TestTextImportDialog)
#include "tst_textimportdialog.moc"
