#pragma once

#include <QList>

// The kinds of modal message box, each with its own caption: the program's title, "Information",
// "Avertissement", "Erreur" and "Confirmation".
enum class BoxKind { Plain, Information, Warning, Error, Confirmation };

// The buttons a message box can offer: "OK", "Annuler", "&Oui", "&Non", "&Abandon".
enum class BoxButton { Ok, Cancel, Yes, No, Abandon };

using BoxButtons = QList<BoxButton>;
