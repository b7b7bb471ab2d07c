#include "session/cookiesfile.h"
#include "session/qrlogin.h"
#include "web/session.h"

#include <sys/stat.h>

#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

Q_DECLARE_METATYPE(QrLogin::State)

using QrLogin::State;

// The QR code login's pure parts: its token, its poll's answers, and the session file it writes.
class TestSignIn : public QObject
{
    Q_OBJECT

private slots:
    void tokens()
    {
        QCOMPARE(QrLogin::hash33(u"aaa"_qs), 108931u);
        QCOMPARE(QrLogin::hash33(QString()), 0u);
        // The login's seed is 0, the services' token starts at 5381: the two must not mix.
        QCOMPARE(Session::gtkOf("@"), 177637u);
        QVERIFY(QrLogin::hash33(u"@"_qs) != Session::gtkOf("@"));
        // 32-bit arithmetic that wraps, then the low 31 bits.
        QCOMPARE(QrLogin::hash33(QString(40, u'z')), [] {
            quint32 e = 0;
            for (int i = 0; i < 40; ++i)
                e = e * 33 + 'z';
            return e & 0x7fffffffu;
        }());
    }

    void pollAnswers_data()
    {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<bool>("parsed");
        QTest::addColumn<QString>("code");
        QTest::addColumn<QString>("message");
        QTest::addColumn<State>("state");

        QTest::newRow("not scanned") << u"ptuiCB('66','0','','0','二维码未失效。', '')"_qs << true
                                     << u"66"_qs << u"二维码未失效。"_qs << State::Waiting;
        QTest::newRow("scanned") << u"ptuiCB('67','0','','0','二维码认证中。', '')"_qs << true
                                 << u"67"_qs << u"二维码认证中。"_qs << State::Scanned;
        QTest::newRow("expired") << u"ptuiCB('65','0','','0','二维码已失效。(4079826366)', '')"_qs
                                 << true << u"65"_qs << u"二维码已失效。(4079826366)"_qs
                                 << State::Renewed;
        QTest::newRow("refused") << u"ptuiCB('68','0','','0','本次登录已被拒绝', '')"_qs << true
                                 << u"68"_qs << u"本次登录已被拒绝"_qs << State::Refused;
        QTest::newRow("refused, newer code")
                << u"ptuiCB('22005','0','','0','你已拒绝登录。', '')\n"_qs << true << u"22005"_qs
                << u"你已拒绝登录。"_qs << State::Refused;
        QTest::newRow("signed in, a nickname with a quote and a comma")
                << uR"(ptuiCB('0','0','https://ptlogin2.qzone.qq.com/check_sig?a=1&b=2','0','登录成功！', '小\'明,')"_qs
                << true << u"0"_qs << u"登录成功！"_qs << State::SignedIn;
        QTest::newRow("a code we do not know")
                << u"ptuiCB('10005','0','','0','登录环境异常', '')"_qs << true << u"10005"_qs
                << u"登录环境异常"_qs << State::Failed;
        QTest::newRow("too few fields")
                << u"ptuiCB('66','0')"_qs << false << QString() << QString() << State::Failed;
        QTest::newRow("an open quote") << u"ptuiCB('66','0','','0','二维码"_qs << false << QString()
                                       << QString() << State::Failed;
        QTest::newRow("no ptuiCB") << u"<html>502 Bad Gateway</html>"_qs << false << QString()
                                   << QString() << State::Failed;
    }

    void pollAnswers()
    {
        QFETCH(QString, answer);
        QFETCH(bool, parsed);
        QFETCH(QString, code);
        QFETCH(QString, message);
        QFETCH(State, state);
        const std::optional<QrLogin::PollAnswer> read = QrLogin::parsePollAnswer(answer);
        QCOMPARE(read.has_value(), parsed);
        if (!read)
            return;
        QCOMPARE(read->code, code);
        QCOMPARE(read->message, message);
        QCOMPARE(QrLogin::stateOfCode(read->code), state);
        if (state == State::SignedIn) {
            QCOMPARE(read->url, u"https://ptlogin2.qzone.qq.com/check_sig?a=1&b=2"_qs);
            QCOMPARE(read->nickname, u"小'明,"_qs);
        }
    }

    // Private before a byte is in it, whatever the umask; the folder too; read back whole.
    void sessionFileIsPrivate()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(u"config/Mirelo/cookies.txt"_qs);
        SessionCookie pSkey;
        pSkey.domain = u"qq.com"_qs;
        pSkey.includeSubdomains = true;
        pSkey.secure = true;
        pSkey.expires = 4'102'444'799;
        pSkey.name = "p_skey";
        pSkey.value = "SECRET-p";
        SessionCookie hostOnly = pSkey;
        hostOnly.domain = u"user.qzone.qq.com"_qs;
        hostOnly.includeSubdomains = false;
        hostOnly.secure = false;
        hostOnly.httpOnly = true;
        hostOnly.expires = 0;
        hostOnly.name = "skey";
        const mode_t previous = ::umask(0);
        QFile::Permissions whileWriting;
        qint64 sizeWhileWriting = -1;
        const QString error
                = CookiesFile::write(path, {pSkey, hostOnly}, [&](const QFileDevice &f) {
                      whileWriting = f.permissions();
                      sizeWhileWriting = f.size();
                  });
        ::umask(previous);
        QVERIFY2(error.isEmpty(), qPrintable(error));
        const QFile::Permissions ownerOnly = QFile::ReadOwner | QFile::WriteOwner;
        const QFile::Permissions mask = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner
                | QFile::ReadGroup | QFile::WriteGroup | QFile::ExeGroup | QFile::ReadOther
                | QFile::WriteOther | QFile::ExeOther;
        QCOMPARE(whileWriting & mask, ownerOnly);
        QCOMPARE(sizeWhileWriting, 0);
        QCOMPARE(QFileInfo(path).permissions() & mask, ownerOnly);
        QCOMPARE(QFileInfo(QFileInfo(path).path()).permissions() & mask,
                 ownerOnly | QFile::ExeOwner);
        const SessionLoad load = CookiesFile::read(path);
        QVERIFY2(load.session && load.warnings.isEmpty(), qPrintable(load.error));
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        // As browsers write them: a cookie for the subdomains with its dot.
        SessionCookie pSkeyAsWritten = pSkey;
        pSkeyAsWritten.domain = u".qq.com"_qs;
        QCOMPARE(CookiesFile::parse(file.readAll(), nullptr),
                 (QList<SessionCookie> {pSkeyAsWritten, hostOnly}));
    }
};

QTEST_GUILESS_MAIN(TestSignIn)
#include "tst_signin.moc"
