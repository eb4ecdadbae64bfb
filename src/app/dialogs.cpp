#include "app/dialogs.h"

BoxButton escapeAnswer(const BoxButtons &buttons)
{
    for (BoxButton preferred : {BoxButton::Cancel, BoxButton::No, BoxButton::Abandon}) {
        if (buttons.contains(preferred))
            return preferred;
    }
    return buttons.isEmpty() ? BoxButton::Ok : buttons.last();
}
