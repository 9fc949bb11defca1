// Answers the file choosers and records the message boxes, so UI tests run unattended.
#pragma once

#include "ui/FileChooser.h"

#include <QList>
#include <QString>
#include <QStringList>

struct ChooserRequest {
    bool save = false;
    QString title;
    QString filter;
    QString proposed; // the file the chooser started on
};

struct ShownMessage {
    MessageIcon icon = MessageIcon::None;
    QString text;
};

class FakeDialogs : public Dialogs {
public:
    // Each chooser of any window takes the next answer; an empty answer is a cancel.
    QStringList answers;
    QList<ChooserRequest> requests;
    QList<ShownMessage> messages;
    // Each question takes the next reply; with none left it is cancelled, as by the close box.
    QList<Answer> replies;
    QStringList questions;
    // Each "Save changes?" takes the next choice; with none left it is cancelled.
    QList<SaveChoice> saveChoices;
    int saveQuestions = 0;
    // Each colour chooser takes the next answer; with none left, or an empty one, it is
    // cancelled. The colours they started on, in order.
    QList<std::optional<Color>> colorAnswers;
    QList<Color> colorRequests;

    std::unique_ptr<FileChooser> newFileChooser(QWidget *parent) override;
    void showMessage(QWidget *parent, MessageIcon icon, const QString &text) override;
    Answer askYesNoCancel(QWidget *parent, const QString &question) override;
    SaveChoice askToSaveChanges(QWidget *parent) override;
    // Each number question takes the next answer; with none left it is cancelled.
    QList<int> numberAnswers;

    std::optional<Color> chooseColor(QWidget *parent, Color initial) override;
    std::optional<int> askNumber(QWidget *parent, const QString &label, int initial, int minimum, int maximum) override;
};
