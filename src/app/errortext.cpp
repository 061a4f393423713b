#include "app/errortext.h"

#include <cerrno>
#include <cstring>

#include "diary/errors.h"

QString SystemReason(int error) {
    switch (error) {
        case 0:
            return {};
        case ENOSPC:
            return QStringLiteral("Na disku už není místo.");
        case EDQUOT:
            return QStringLiteral("Překročena disková kvóta.");
        case EROFS:
            return QStringLiteral("Soubor je na disku, který je jen pro čtení.");
        case EACCES:
        case EPERM:
            return QStringLiteral("K souboru nemáte přístup.");
        case ELOOP:
            return QStringLiteral("Příliš mnoho symbolických odkazů (nejspíš odkaz sám na sebe).");
        case EFBIG:
            return QStringLiteral("Soubor je příliš velký.");
        case EIO:
            return QStringLiteral("Chyba při čtení nebo zápisu na disk.");
        case ENOENT:
            return QStringLiteral("Složka, ve které má soubor být, neexistuje.");
        case ENOTDIR:
            return QStringLiteral("Část cesty k souboru není složka.");
        case ENAMETOOLONG:
            return QStringLiteral("Název souboru je příliš dlouhý.");
        default: {
            // The system's own words for the rare rest, in its language.
            char buffer[256];
            return QStringLiteral("Systém hlásí: %1.")
                .arg(QString::fromLocal8Bit(::strerror_r(error, buffer, sizeof buffer)));
        }
    }
}

QString ErrorText(const std::exception& e) {
    // Exception texts are UTF-8: they carry file system paths, which are UTF-8 here.
    QString text = QString::fromUtf8(e.what());
    int error = 0;
    if (const auto* write = dynamic_cast<const diary::WriteError*>(&e))
        error = write->error();
    else if (const auto* read = dynamic_cast<const diary::ReadError*>(&e))
        error = read->error();
    const QString reason = SystemReason(error);
    if (!reason.isEmpty()) text += QLatin1Char('\n') + reason;
    return text;
}
