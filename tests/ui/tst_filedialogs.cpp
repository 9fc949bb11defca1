// The real file choosers, answered by hand as a user answers them.
#include "support/ui/Controls.h"
#include "ui/FileChooser.h"

#include <QtTest>
#include <QtWidgets>

#include <functional>

using namespace Qt::StringLiterals;

namespace {

// Works the next file dialog from the event loop once it is up.
void answerNextDialog(const std::function<void(QFileDialog &)> &answer)
{
    auto *timer = new QTimer;
    QObject::connect(timer, &QTimer::timeout, [timer, answer] {
        if (auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget())) {
            timer->stop();
            timer->deleteLater();
            answer(*dialog);
        }
    });
    timer->start(10);
}

} // namespace

class TestFileDialogs : public QObject {
    Q_OBJECT

    QTemporaryDir settingsDir_;

private slots:
    // Qt's file dialog keeps what it last showed in the user's settings: not the user's.
    void initTestCase()
    {
        QVERIFY(settingsDir_.isValid());
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settingsDir_.path());
    }

    // Each file kind shows its description alone. The next chooser, of this window or another,
    // opens in the folder of the last file chosen in this run, not of one browsed and cancelled.
    void reopenInTheFolderLastUsed()
    {
        QTemporaryDir chosenDir;
        QTemporaryDir browsedDir;
        const QString folder = QDir(chosenDir.path()).absolutePath();
        SystemDialogs dialogs;
        QWidget window;
        const std::unique_ptr<FileChooser> first = dialogs.newFileChooser(&window);
        const std::unique_ptr<FileChooser> other = dialogs.newFileChooser(&window);
        const QString filter = u"テキストファイル (*.txt)|*.txt|すべて (*.*)|*.*||"_s;
        QStringList kinds;
        answerNextDialog([&](QFileDialog &dialog) {
            auto *list = findControl<QComboBox>(dialog, "fileTypeCombo");
            for (int i = 0; i < list->count(); ++i)
                kinds << list->itemText(i);
            dialog.selectFile(folder + u"/new.txt"_s);
            static_cast<QDialog &>(dialog).accept(); // as the Save button does
        });
        QCOMPARE(first->chooseFileToSave(u"書き込み"_s, filter), folder + u"/new.txt"_s);
        QCOMPARE(kinds, QStringList({u"テキストファイル (*.txt)"_s, u"すべて (*.*)"_s}));

        QStringList shownFolders;
        for (FileChooser *chooser : {other.get(), first.get()}) {
            answerNextDialog([&](QFileDialog &dialog) {
                shownFolders << dialog.directory().absolutePath();
                dialog.setDirectory(browsedDir.path());
                dialog.reject();
            });
            QCOMPARE(chooser->chooseFileToOpen(u"読み込み"_s, filter), QString());
        }
        QCOMPARE(shownFolders, QStringList({folder, folder}));
    }
};

QTEST_MAIN(TestFileDialogs)
#include "tst_filedialogs.moc"
