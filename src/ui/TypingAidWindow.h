// The edit support window: a typed text laid into the grid sheet one cell after the
// other, from the active cell in the direction of the arrow pressed.
#pragma once

#include <QDialog>

class QLineEdit;
class QPushButton;
class Document;

class TypingAidWindow : public QDialog {
    Q_OBJECT
public:
    // Modeless, owned by the main window; writes the document's sheet, one step an arrow; deleted when closed so that
    // the next opening starts with an empty field.
    TypingAidWindow(Document &document, QWidget *owner);

public slots:
    void layUpward();
    void layDownward();
    void layLeftward();
    void layRightward();

private:
    void layText(int columnStep, int rowStep);

    Document &document_;
    QLineEdit *textEdit_ = nullptr;
    QPushButton *upButton_ = nullptr;
    QPushButton *downButton_ = nullptr;
    QPushButton *leftButton_ = nullptr;
    QPushButton *rightButton_ = nullptr;
};
