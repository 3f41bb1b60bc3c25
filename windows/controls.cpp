#include "windows/controls.h"

#include "app/fonts.h"

#include <QMouseEvent>
#include <limits>

Label::Label(const QString &caption, const QFont &font, QWidget *parent) : QLabel(parent)
{
    setTextFormat(Qt::PlainText);
    setText(caption);
    setFont(font);
    setWordWrap(true);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setMargin(0);
    setIndent(0);
    setForegroundRole(QPalette::ButtonText);
    setAutoFillBackground(false);
    setFocusPolicy(Qt::NoFocus);
}

void Label::mousePressEvent(QMouseEvent *event)
{
    m_pressed = event->button() == Qt::LeftButton;
    event->accept();
}

void Label::mouseReleaseEvent(QMouseEvent *event)
{
    const bool click = m_pressed && event->button() == Qt::LeftButton
                       && rect().contains(event->position().toPoint());
    m_pressed = false;
    event->accept();
    if (click)
        emit clicked();
}

Picture::Picture(const QPixmap &pixmap, QWidget *parent) : QLabel(parent)
{
    setPixmap(pixmap);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setMargin(0);
    setFocusPolicy(Qt::NoFocus);
}

void Picture::mousePressEvent(QMouseEvent *event)
{
    event->accept();
}

TextBox::TextBox(const QString &text, QWidget *parent) : QLineEdit(text, parent)
{
    setFont(Fonts::verdana());
    QPalette white = palette();
    white.setColor(QPalette::Base, Qt::white);
    setPalette(white);
    removeLengthLimit(this);
}

ComboBox::ComboBox(const QStringList &rows, const QString &text, QWidget *parent)
    : QComboBox(parent)
{
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert);
    // The box takes what the user types as it is typed: no completion from
    // the list rows.
    setCompleter(nullptr);
    setMaxVisibleItems(rows.size());
    addItems(rows);
    setCurrentIndex(findText(text));
    setEditText(text);
    removeLengthLimit(lineEdit());
}

void removeLengthLimit(QLineEdit *edit)
{
    edit->setMaxLength(std::numeric_limits<int>::max());
}
