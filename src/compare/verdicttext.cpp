#include "compare/verdicttext.h"

QString verdictText(Verdict verdict)
{
    switch (verdict) {
    case Verdict::ToCopy:
        return QStringLiteral("A copier");
    case Verdict::ToCopyBack:
        return QStringLiteral("A copier (Dest > Source)");
    case Verdict::ReadOnly:
        return QStringLiteral("Lecture seule");
    case Verdict::Inconsistent:
        return QStringLiteral("Incohérence !");
    case Verdict::UpToDateWithin2s:
        return QStringLiteral("A jour (<=2s)");
    case Verdict::UpToDate:
        return QStringLiteral("A jour");
    case Verdict::Excluded:
        break;
    }
    return QStringLiteral("Exclu");
}
