#include "app/qtdialogs.h"

#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>

namespace {

QString caption(BoxKind kind)
{
    switch (kind) {
    case BoxKind::Plain:
        return QStringLiteral("Tandrimo");
    case BoxKind::Information:
        return QStringLiteral("Information");
    case BoxKind::Warning:
        return QStringLiteral("Avertissement");
    case BoxKind::Error:
        return QStringLiteral("Erreur");
    case BoxKind::Confirmation:
        return QStringLiteral("Confirmation");
    }
    return QString();
}

QMessageBox::Icon icon(BoxKind kind)
{
    switch (kind) {
    case BoxKind::Plain:
        return QMessageBox::NoIcon;
    case BoxKind::Information:
        return QMessageBox::Information;
    case BoxKind::Warning:
        return QMessageBox::Warning;
    case BoxKind::Error:
        return QMessageBox::Critical;
    case BoxKind::Confirmation:
        return QMessageBox::Question;
    }
    return QMessageBox::NoIcon;
}

QString buttonText(BoxButton button)
{
    switch (button) {
    case BoxButton::Ok:
        return QStringLiteral("OK");
    case BoxButton::Cancel:
        return QStringLiteral("Annuler");
    case BoxButton::Yes:
        return QStringLiteral("&Oui");
    case BoxButton::No:
        return QStringLiteral("&Non");
    case BoxButton::Abandon:
        return QStringLiteral("&Abandon");
    }
    return QString();
}

QMessageBox::ButtonRole role(BoxButton button)
{
    switch (button) {
    case BoxButton::Ok:
        return QMessageBox::AcceptRole;
    case BoxButton::Yes:
        return QMessageBox::YesRole;
    case BoxButton::No:
        return QMessageBox::NoRole;
    case BoxButton::Cancel:
    case BoxButton::Abandon:
        return QMessageBox::RejectRole;
    }
    return QMessageBox::AcceptRole;
}

} // namespace

BoxButton QtDialogs::message(QWidget *parent, BoxKind kind, const QString &text,
                             const BoxButtons &buttons, std::optional<BoxButton> defaultButton)
{
    QMessageBox box(icon(kind), caption(kind), text, QMessageBox::NoButton, parent);
    QList<QPair<QAbstractButton *, BoxButton>> added;
    for (BoxButton button : buttons)
        added.append({box.addButton(buttonText(button), role(button)), button});
    const BoxButton escape = escapeAnswer(buttons);
    const BoxButton enter = defaultButton.value_or(buttons.isEmpty() ? escape : buttons.first());
    for (const auto &[widget, button] : added) {
        if (button == escape)
            box.setEscapeButton(widget);
        if (button == enter)
            box.setDefaultButton(qobject_cast<QPushButton *>(widget));
    }
    box.exec();
    for (const auto &[widget, button] : added) {
        if (box.clickedButton() == widget)
            return button;
    }
    return escape;
}

QString QtDialogs::openFileName(QWidget *parent, const QString &folder, const QString &filter)
{
    return QFileDialog::getOpenFileName(parent, QString(), folder, filter);
}

QString QtDialogs::saveFileName(QWidget *parent, const QString &folder, const QString &filter,
                                const QString &defaultSuffix)
{
    QFileDialog dialog(parent, QString(), folder, filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(defaultSuffix);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    return dialog.selectedFiles().constFirst();
}

QString QtDialogs::folderName(QWidget *parent, const QString &title, const QString &startFolder)
{
    return QFileDialog::getExistingDirectory(parent, title, startFolder);
}
