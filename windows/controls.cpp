#include "windows/controls.h"

#include "windows/fonts.h"

#include <QAccessibleWidget>
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

namespace {

class PictureButtonAccessible : public QAccessibleWidget
{
public:
    explicit PictureButtonAccessible(QWidget *button) : QAccessibleWidget(button, QAccessible::Button) {}

    QString text(QAccessible::Text kind) const override
    {
        if (kind == QAccessible::Name)
            return static_cast<PictureButton *>(widget())->text().trimmed();
        return QAccessibleWidget::text(kind);
    }
    QStringList actionNames() const override { return {pressAction()}; }
    void doAction(const QString &action) override
    {
        if (action == pressAction())
            emit static_cast<PictureButton *>(widget())->clicked();
    }
};

QAccessibleInterface *pictureButtonAccessible(const QString &className, QObject *object)
{
    if (className == QLatin1String("PictureButton") && object && object->isWidgetType())
        return new PictureButtonAccessible(static_cast<QWidget *>(object));
    return nullptr;
}

} // namespace

PictureButton::PictureButton(const QString &caption, const QFont &font, QWidget *parent)
    : Label(caption, font, parent)
{
    static const bool installed = [] {
        QAccessible::installFactory(pictureButtonAccessible);
        return true;
    }();
    Q_UNUSED(installed);
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

void captionBox(Label *caption, QWidget *box)
{
    box->setAccessibleName(caption->text());
    caption->setBuddy(box);
}

void removeLengthLimit(QLineEdit *edit)
{
    edit->setMaxLength(std::numeric_limits<int>::max());
}
