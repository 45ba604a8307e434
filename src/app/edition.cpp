#include "app/edition.h"

int buildBrandCode() {
    return ALVENTO_BRAND_CODE;
}

QString settingsKeyPath(int brandCode) {
    switch (brandCode) {
    case 40:
        return QStringLiteral("\\software\\GSM\\NORVIK");
    case 41:
        return QStringLiteral("\\software\\GSM\\Telvaro");
    case 50:
        return QStringLiteral("\\software\\Dravik\\Dravik");
    default:
        return QStringLiteral("\\software\\GSM\\KESTRIN");
    }
}

QString defaultCompany(int brandCode) {
    switch (brandCode) {
    case 1:
        return QStringLiteral("KESTRIN");
    case 10:
        return QStringLiteral("*OLMIRA");
    case 20:
        return QStringLiteral("*Pumara GSM");
    case 30:
        return QStringLiteral("*Belvance");
    case 40:
        return QStringLiteral("NORVIK");
    case 41:
        return QStringLiteral("Telvaro");
    case 50:
        return QStringLiteral("Sorel");
    default:
        return QStringLiteral("KESTRIN");
    }
}

QString editionName(int brandCode) {
    switch (brandCode) {
    case 10:
        return QStringLiteral("Olmira");
    case 20:
        return QStringLiteral("Pumara");
    case 30:
        return QStringLiteral("Belvance");
    case 40:
        return QStringLiteral("NORVIK");
    case 41:
        return QStringLiteral("Telvaro");
    case 50:
        return QStringLiteral("Makrel");
    default:
        return QStringLiteral("KESTRIN");
    }
}
