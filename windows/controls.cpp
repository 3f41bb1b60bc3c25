#include "windows/controls.h"

#include "windows/fonts.h"

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

namespace {

void whiteVerdana(QWidget *box)
{
    box->setFont(Fonts::verdana());
    QPalette white = box->palette();
    white.setColor(QPalette::Base, Qt::white);
    box->setPalette(white);
}

} // namespace

TextBox::TextBox(const QString &text, QWidget *parent) : QLineEdit(text, parent)
{
    whiteVerdana(this);
    removeLengthLimit(this);
}

MultiLineTextBox::MultiLineTextBox(const QString &text, QWidget *parent)
    : QPlainTextEdit(text, parent)
{
    whiteVerdana(this);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
    setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    setTabChangesFocus(true);
    document()->setDocumentMargin(1);
}

QString MultiLineTextBox::text() const
{
    QString lines = toPlainText();
    lines.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    lines.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    return lines;
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
