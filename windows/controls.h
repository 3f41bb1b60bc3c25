#pragma once

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>

// The kinds of control the windows are built from, each set up the way the
// windows' layouts describe them.

// A label: transparent, so the picture under it shows through; text in the
// button-text colour, left-aligned from the top and wrapped at word
// boundaries; its whole rectangle takes clicks, and a click on it is never a
// click on what lies beneath.
class Label : public QLabel
{
    Q_OBJECT

public:
    Label(const QString &caption, const QFont &font, QWidget *parent = nullptr);

signals:
    void clicked();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    bool m_pressed = false;
};

// A label that acts as a button: its caption lies on a bar picture and its
// click is the action. Assistive technology reads it as a button named by
// its caption without the spaces that centre it on its bar, and can press it.
class PictureButton : public Label
{
    Q_OBJECT

public:
    PictureButton(const QString &caption, const QFont &font, QWidget *parent = nullptr);
};

// A picture shown unscaled at its natural size. It has no action of its own.
class Picture : public QLabel
{
    Q_OBJECT

public:
    explicit Picture(const QPixmap &pixmap, QWidget *parent = nullptr);

protected:
    void mousePressEvent(QMouseEvent *event) override;
};

// A single-line text box on white, in Verdana, with no length limit.
class TextBox : public QLineEdit
{
    Q_OBJECT

public:
    explicit TextBox(const QString &text, QWidget *parent = nullptr);
};

// A multi-line text box on white, in Verdana, without scroll bars: it shows
// as many lines as fit and wraps long text at word boundaries. Enter starts
// a new line, which the box's text holds as CR LF; Tab moves the focus on.
class MultiLineTextBox : public QPlainTextEdit
{
    Q_OBJECT

public:
    explicit MultiLineTextBox(const QString &text, QWidget *parent = nullptr);

    QString text() const;
};

// A drop-down box whose text the user may also type freely; picking a row
// puts that row's text into the box. Typed texts are never added to the list.
class ComboBox : public QComboBox
{
    Q_OBJECT

public:
    ComboBox(const QStringList &rows, const QString &text, QWidget *parent = nullptr);
};

// Makes the caption the box's name for assistive technology: as its name,
// and as the label it is labelled by (how Qt tells a combo box's caption on
// Linux, where a combo box's name is its text).
void captionBox(Label *caption, QWidget *box);

// Makes a text box take any length of text a user can type or paste.
void removeLengthLimit(QLineEdit *edit);
