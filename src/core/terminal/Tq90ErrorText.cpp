#include "core/terminal/Tq90Result.h"

QString Tq90ErrorText(int code)
{
    switch (code) {
    case 48:
        return QStringLiteral("Internal socket error!");
    case 49:
        return QStringLiteral("Encryption Key is not set!");
    case 65:
        return QStringLiteral("No image!");
    case 66:
        return QStringLiteral("Captured image bad quality!");
    case 67:
        return QStringLiteral("Captured image is too little points!");
    case 68:
        return QStringLiteral("User database is empty!");
    case 69:
        return QStringLiteral("Unknown user!");
    case 70:
        return QStringLiteral("No space!");
    case 71:
        return QStringLiteral("Bad argument!");
    case 73:
        return QStringLiteral("CRC error!");
    case 74:
        return QStringLiteral("Receive data time out!");
    case 77:
        return QStringLiteral("The user does not exist!");
    case 78:
        return QStringLiteral("The User ID existed!");
    case 79:
        return QStringLiteral("The sample is very similar!");
    case 85:
        return QStringLiteral("Unknown command!");
    case 88:
        return QStringLiteral("Hardware error!");
    case 90:
        return QStringLiteral("Bad flash!");
    case 91:
        return QStringLiteral("Too many VIP Users!");
    default:
        return QStringLiteral("Unknown error!");
    }
}
