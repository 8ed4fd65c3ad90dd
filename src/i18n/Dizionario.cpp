#include "i18n/Dizionario.h"

#include "app/FileSistema.h"
#include "ecu/FileTesto.h"
#include "i18n/Risorse.h"

#include <QFile>
#include <QRegularExpression>

namespace gascal {

namespace {
bool CharsetValido(const QString &testo, int &valore)
{
    bool ok = false;
    const int n = testo.trimmed().toInt(&ok);
    if (!ok || n < 0 || n > 255)
        return false;
    valore = n;
    return true;
}
} // namespace

QString Dizionario::RisorsaDi(int lingua)
{
    static const char *const nomi[] = {"DIZ_ENG", "DIZ_ITA", "DIZ_UKR", "DIZ_POR", "DIZ_THAI", "DIZ_HUN"};
    return QString::fromLatin1(nomi[(lingua >= 1 && lingua <= 5) ? lingua : 0]);
}

QString Dizionario::TestoSezione(const QString &nomeSezione, int k) const
{
    const qsizetype s = Sezione(nomeSezione);
    return s < 0 ? QString() : Testo(s + k);
}

QString Dizionario::TestoSezione(const QString &nomeSezione, int k, const QString &progetto) const
{
    const qsizetype s = Sezione(nomeSezione);
    return s < 0 ? progetto : Testo(s + k);
}

QString Dizionario::LeggiDizIni(const QString &percorso)
{
    if (!FileExist(percorso))
        return {};
    const QStringList righe = FileTesto::LeggiFileTesto(percorso);
    return righe.isEmpty() ? QString() : righe.first().split(QLatin1Char(',')).first().trimmed();
}

void Dizionario::LeggiIntestazioneDiz(const QString &intestazione)
{
    QStringList campi = intestazione.split(QLatin1Char('#'));
    while (campi.size() < 4)
        campi.append(QString());
    if (!campi.at(2).trimmed().isEmpty())
        FontNome = campi.at(2).trimmed();
    CharsetValido(campi.at(3), FontCharset);
}

void Dizionario::LeggiFontIni(const QString &percorso)
{
    if (!FileExist(percorso))
        return;
    const QStringList voci = FileTesto::LeggiFileTesto(percorso)
                                 .join(QLatin1Char('\n'))
                                 .split(QRegularExpression(QStringLiteral("[,\n]+")));
    if (!voci.isEmpty() && !voci.at(0).trimmed().isEmpty())
        FontNome = voci.at(0).trimmed();
    if (voci.size() > 1)
        CharsetValido(voci.at(1), FontCharset);
}

bool Dizionario::CaricaDizionario(bool prossima, const Percorsi &percorsi)
{
    m_testi.clear();
    if (FileExist(percorsi.testDiz)) {
        const QStringList righe = FileTesto::LeggiFileTesto(percorsi.testDiz);
        if (!righe.isEmpty())
            LeggiIntestazioneDiz(righe.first());
        m_testi = righe.mid(1);
        if (m_testi.isEmpty())
            m_testi.append(QString());
        m_testi[0] += QStringLiteral(" #TEST.DIZ# ");
    } else {
        const QString scelta = LeggiDizIni(percorsi.dizIni);
        int lingua = 0;
        if (!scelta.isEmpty()) {
            lingua = scelta.toInt();
            if (prossima)
                ++lingua;
        }
        if (lingua < 1 || lingua > 5)
            lingua = 0;
        LinguaCorrente = lingua;
        const QStringList righe = Risorse::CaricaRisorsa(NumeroRisorsa(lingua), RisorsaDi(lingua));
        QFile diz(percorsi.dizIni);
        if (diz.open(QIODevice::WriteOnly | QIODevice::Truncate))
            diz.write(QByteArray::number(lingua) + "\r\n");
        if (righe.size() > 1)
            LeggiIntestazioneDiz(righe.at(1));
        m_testi = righe.mid(2);
    }
    LeggiFontIni(percorsi.fontIni);
    return true;
}

} // namespace gascal
