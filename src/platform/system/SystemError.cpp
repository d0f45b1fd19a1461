#include "platform/system/SystemError.h"

#include <cerrno>

namespace plat::sys {

QString systemErrorText(int error)
{
    switch (error) {
    case ENOENT:
        return QStringLiteral("Arquivo ou diretório inexistente");
    case EACCES:
        return QStringLiteral("Permissão negada");
    case EPERM:
        return QStringLiteral("Operação não permitida");
    case ENOSPC:
        return QStringLiteral("Não há espaço disponível no dispositivo");
    case EDQUOT:
        return QStringLiteral("Cota de disco excedida");
    case EROFS:
        return QStringLiteral("Sistema de arquivos somente para leitura");
    case EISDIR:
        return QStringLiteral("É um diretório");
    case ENOTDIR:
        return QStringLiteral("Não é um diretório");
    case EEXIST:
        return QStringLiteral("Arquivo existe");
    case EIO:
        return QStringLiteral("Erro de entrada/saída");
    case EFBIG:
        return QStringLiteral("Arquivo muito grande");
    case ENAMETOOLONG:
        return QStringLiteral("Nome de arquivo muito longo");
    case ELOOP:
        return QStringLiteral("Muitos níveis de links simbólicos");
    case EMFILE:
    case ENFILE:
        return QStringLiteral("Muitos arquivos abertos");
    case EBUSY:
        return QStringLiteral("Dispositivo ou recurso está ocupado");
    case ENXIO:
        return QStringLiteral("Dispositivo ou endereço inexistente");
    case ENOMEM:
        return QStringLiteral("Não foi possível alocar memória");
    case EXDEV:
        return QStringLiteral("O arquivo não pode ser movido para outro dispositivo");
    case ENOLCK:
        return QStringLiteral("Não há travas de arquivo disponíveis");
    case ESTALE:
        return QStringLiteral("O arquivo na rede não está mais disponível");
    case ETIMEDOUT:
        return QStringLiteral("O tempo de espera do dispositivo se esgotou");
    case ENODEV:
        return QStringLiteral("Dispositivo inexistente");
    case ENOTEMPTY:
        return QStringLiteral("O diretório não está vazio");
    case EAGAIN:
        return QStringLiteral("Recurso temporariamente indisponível");
    case EINTR:
        return QStringLiteral("Operação interrompida");
    case EINVAL:
        return QStringLiteral("Argumento inválido");
    default:
        // Rarer errors: the number, which support can look up, rather than
        // the C library's English text.
        return QStringLiteral("Erro do sistema número %1").arg(error);
    }
}

QString writeErrorText(int error)
{
    const QString text = systemErrorText(error);
    if (error == EFBIG)
        return text
               + QStringLiteral(" (o arquivo passaria do tamanho máximo permitido a este programa ou a este "
                                "sistema de arquivos)");
    return text;
}

} // namespace plat::sys
