<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_CN">
<context>
    <name>CookiesFile</name>
    <message>
        <source>line %1: %2</source>
        <translation>第 %1 行：%2</translation>
    </message>
    <message>
        <source>expected %1 TAB-separated fields, found %2</source>
        <translation>应有 %1 个以制表符分隔的字段，实有 %2 个</translation>
    </message>
    <message>
        <source>the domain, the subdomains flag or the secure flag is not valid</source>
        <translation>域名、子域名标志或安全标志无效</translation>
    </message>
    <message>
        <source>the expiry is not a number</source>
        <translation>过期时间不是数字</translation>
    </message>
    <message>
        <source>the cookie cannot be sent (an empty name, control characters or &apos;;&apos;)</source>
        <translation>该 cookie 无法发送（名称为空、含控制字符或“;”）</translation>
    </message>
    <message>
        <source>cannot read %1: %2</source>
        <translation>无法读取 %1：%2</translation>
    </message>
    <message>
        <source>%1 is not a regular file</source>
        <translation>%1 不是普通文件</translation>
    </message>
    <message>
        <source>%1 can be read by group or others (mode %2): a session is as secret as a password; make it private with: chmod 600 %1</source>
        <translation>%1 可被同组或其他用户读取（权限 %2）：登录会话和密码一样需要保密；请用 chmod 600 %1 设为仅自己可读</translation>
    </message>
    <message>
        <source>%1 is too large for a cookies file</source>
        <translation>%1 太大，不是 cookies 文件</translation>
    </message>
    <message>
        <source>cannot make the folder %1</source>
        <translation>无法创建文件夹 %1</translation>
    </message>
    <message>
        <source>%1 belongs to another user: a session must be your own</source>
        <translation>%1 属于另一个用户: 会话必须是你自己的</translation>
    </message>
    <message>
        <source>%1 gave no end within %2 s</source>
        <translation>%1 在 %2 秒内没有读完</translation>
    </message>
</context>
<context>
    <name>FirefoxProfile</name>
    <message>
        <source>Qt&apos;s SQLite driver is missing (Debian: libqt6sql6-sqlite)</source>
        <translation>缺少 Qt 的 SQLite 驱动（Debian：libqt6sql6-sqlite）</translation>
    </message>
    <message>
        <source>cannot read the cookies in %1: %2</source>
        <translation>无法读取 %1 中的 cookie：%2</translation>
    </message>
    <message>
        <source>no Firefox profile folder %1</source>
        <translation>没有 Firefox 配置文件夹 %1</translation>
    </message>
    <message>
        <source>no Firefox profile named %1 in %2</source>
        <translation>%2 中没有名为 %1 的 Firefox 配置文件</translation>
    </message>
    <message>
        <source>%1 names no default profile: say which one with firefox:PROFILE</source>
        <translation>%1 没有指定默认配置文件：请用 firefox:PROFILE 指明</translation>
    </message>
    <message>
        <source>%1 keeps its cookies encrypted and is not supported yet: export a cookies.txt with a browser add-on and use --cookies</source>
        <translation>%1 的 cookie 是加密保存的，暂不支持：请用浏览器扩展导出 cookies.txt，再用 --cookies</translation>
    </message>
    <message>
        <source>unknown browser %1: firefox is the one supported</source>
        <translation>未知的浏览器 %1：只支持 firefox</translation>
    </message>
    <message>
        <source>no %1 in the Firefox profile %2</source>
        <translation>Firefox 配置文件 %2 中没有 %1</translation>
    </message>
    <message>
        <source>cannot make a private temporary folder</source>
        <translation>无法创建私有的临时文件夹</translation>
    </message>
    <message>
        <source>cannot copy %1</source>
        <translation>无法复制 %1</translation>
    </message>
    <message>
        <source>%1 is not a Firefox cookie database</source>
        <translation>%1 不是 Firefox 的 cookie 数据库</translation>
    </message>
    <message>
        <source>no Firefox profiles found (no profiles.ini in %1)</source>
        <translation>找不到 Firefox 配置文件 (%1 中都没有 profiles.ini)</translation>
    </message>
</context>
<context>
    <name>LookupInput</name>
    <message>
        <source>no number</source>
        <translation>没有号码</translation>
    </message>
    <message>
        <source>a QQ number has 5 to 10 digits</source>
        <translation>QQ号码应为5到10位数字</translation>
    </message>
    <message>
        <source>a QQ number is digits only</source>
        <translation>QQ号码只能是数字</translation>
    </message>
</context>
<context>
    <name>LookupOptions</name>
    <message>
        <source>--format wants table, csv or json</source>
        <translation>--format 只能是 table、csv 或 json</translation>
    </message>
    <message>
        <source>--parallel wants a number from 1 to %1</source>
        <translation>--parallel 应为 1 到 %1 之间的数</translation>
    </message>
    <message>
        <source>--interval wants milliseconds from 0 to 3600000</source>
        <translation>--interval 应为 0 到 3600000 之间的毫秒数</translation>
    </message>
    <message>
        <source>Try &apos;mirelo-lookup --help&apos;.</source>
        <translation>请试试 &apos;mirelo-lookup --help&apos;。</translation>
    </message>
    <message>
        <source>--cookies and --cookies-from-browser cannot be used together</source>
        <translation>--cookies 和 --cookies-from-browser 不能同时使用</translation>
    </message>
    <message>
        <source>--cookies wants a file</source>
        <translation>--cookies 需要一个文件</translation>
    </message>
    <message>
        <source>--cookies-from-browser wants firefox or firefox:PROFILE</source>
        <translation>--cookies-from-browser 应为 firefox 或 firefox:PROFILE</translation>
    </message>
    <message>
        <source>--ca-certificate wants a file</source>
        <translation>--ca-certificate 需要一个文件</translation>
    </message>
    <message>
        <source>--sign-in and --sign-out cannot be used together</source>
        <translation>--sign-in 和 --sign-out 不能同时使用</translation>
    </message>
    <message>
        <source>--sign-in and --sign-out take no numbers and no browser: --cookies FILE names the session&apos;s file</source>
        <translation>--sign-in 和 --sign-out 不接受号码和浏览器: 用 --cookies FILE 指定会话文件</translation>
    </message>
    <message>
        <source>--check-session cannot be used with --sign-in or --sign-out</source>
        <translation>--check-session 不能与 --sign-in 或 --sign-out 同用</translation>
    </message>
    <message>
        <source>--check-session takes no numbers</source>
        <translation>--check-session 不接受号码</translation>
    </message>
    <message>
        <source>Usage: mirelo-lookup [options] [NUMBER...]
Looks up the public QZone values of QQ numbers, as Mirelo&apos;s window does,
and prints one result per number in the order given. Without numbers it
reads them from standard input, one per line, and starts each as soon as
its line arrives (blank lines and lines starting with # are skipped;
spaces and tabs around a number are ignored).

Options:
  --format FORMAT  table (default on a terminal), csv or json (default
                   otherwise: one JSON object per line)
  --parallel N     numbers in flight at once, 1 to %2 (default %3; %4 with a
                   session)
  --interval MS    pause between starting two numbers (default 0; with a
                   session %5, and each pause %6 % shorter or longer at
                   random)
  --cookies FILE   sign in with the session in FILE, a Netscape cookies.txt
                   that only you can read (chmod 600)
  --cookies-from-browser firefox[:PROFILE]
                   sign in with the session of a Firefox profile (the
                   default one, or PROFILE by name or folder)
  --ca-certificate FILE
                   trust the certificate authorities in FILE (PEM) as well
                   as the system&apos;s, e.g. behind an inspecting proxy
  -h, --help       show this help
  --version        show the version

Without --cookies or --cookies-from-browser, the session in
$XDG_CONFIG_HOME/Mirelo/cookies.txt (~/.config/Mirelo/cookies.txt) is
used when that file is there; when it cannot be used, that is said and
the numbers are looked up without one. With a session the services are
asked as today&apos;s QZone pages ask them, at their current addresses. A
session goes only to the six services, only over https, and is never
printed. When the services refuse it, that is said once, no further
number starts and the exit status is 1. When a service asks to slow
down or the services&apos; firewall turns the requests away, no number
starts for %7 s (doubling up to %8 min), and the number is asked again,
%9 times at most.

Fields of csv and json, in order:
%1json adds &quot;problems&quot;: {service: problem} for each service that failed.

A value is given only when its service answered; otherwise it is null (an
empty csv field), never 0. status is ok (every service answered), partial
or failed (none did); a number that is not ok also gets a line on standard
error, e.g. &quot;10001: partial: moods rate-limited, blog unreachable&quot;.
Services: visitors, portrait, moods, blog, music, flower_vine.
Problems: unreachable (no connection), certificate (the service&apos;s
certificate could not be verified), timeout, http-NNN (an HTTP error),
not-an-answer (no expected marker or value: an error page, a changed
format), blocked (the services&apos; firewall turned the request away), and
those a service names: signin-needed, rate-limited, not-opened, closed,
busy, no-permission, no-such-account (no account has that number). A
space open to friends only (no-permission from visitors or moods) is no
failure: restricted is true, and its visit and mood counts are null.

csv text that starts with = + - @, a tab or a carriage return gets a
leading &apos; so spreadsheets show it as text; control characters become
U+FFFD. json is exact.

Exit status: 0 every number ok, 1 a number refused, partial or failed or
the session refused, %10 usage error, a session or certificate file named
that cannot be used, an unreadable input or unwritable output, %11
stopped by Ctrl-C, %12 output closed by its reader (e.g. | head).
</source>
        <translation>用法: mirelo-lookup [选项] [号码...]
像 Mirelo 的窗口一样查询 QQ 号码的 QQ 空间公开信息, 按给出的顺序每个号码输出
一条结果。命令行上没有号码时从标准输入读取, 每行一个, 每行一到就开始查询
(空行和以 # 开头的行跳过; 号码前后的空格和制表符忽略)。

选项:
  --format FORMAT  table (终端上的默认格式)、csv 或 json (其他情况的默认格式:
                   每行一个 JSON 对象)
  --parallel N     同时查询的号码数, 1 到 %2 (默认 %3; 有登录会话时为 %4)
  --interval MS    开始两个号码之间的间隔毫秒数 (默认 0; 有登录会话时为 %5,
                   每次随机长短 %6% 以内)
  --cookies FILE   用 FILE 中的登录会话查询; FILE 为 Netscape cookies.txt,
                   只能由你自己读取 (chmod 600)
  --cookies-from-browser firefox[:PROFILE]
                   用 Firefox 配置文件中的登录会话查询 (默认配置文件, 或按
                   名称或文件夹指定的 PROFILE)
  --ca-certificate FILE
                   除系统的证书外, 还信任 FILE (PEM) 中的证书颁发机构,
                   如在检查 https 的代理之后
  -h, --help       显示本帮助
  --version        显示版本号

没有 --cookies 或 --cookies-from-browser 时, 若有
$XDG_CONFIG_HOME/Mirelo/cookies.txt (~/.config/Mirelo/cookies.txt) 这个文件,
就使用其中的登录会话; 无法使用时说明原因, 不带会话查询。有会话时像如今的 QQ 空间
网页一样, 在各服务现在的地址上查询。会话只发给六个服务, 只经 https, 绝不输出。
服务拒绝会话时说明一次, 不再开始新的号码, 退出状态为 1。服务要求放慢或服务的
防火墙拦截请求时, %7 秒内不开始新的号码 (每次加倍, 最多 %8 分钟), 并重新查询
该号码, 最多 %9 次。

csv 和 json 的字段, 依次为:
%1json 另有 &quot;problems&quot;: {服务: 问题}, 列出每个失败的服务。

只有服务应答了, 才给出它的值; 否则为 null (csv 中为空字段), 绝不是 0。status
为 ok (每个服务都应答了)、partial (部分应答) 或 failed (都没有应答); 不是 ok 的
号码另在标准错误输出一行, 如 &quot;10001：部分失败：说说 请求过于频繁，日志 无法连接&quot;。
服务: visitors (访问)、portrait (头像昵称)、moods (说说)、blog (日志)、music (音乐)、
flower_vine (花藤)。
问题: unreachable (无法连接)、certificate (无法验证服务的证书)、timeout (超时)、
http-NNN (HTTP 错误)、
not-an-answer (应答中没有应有的标记或值: 错误页面、格式已变)、
blocked (被服务的防火墙拦截), 以及服务自己指出的: signin-needed (需要登录)、
rate-limited (请求过于频繁)、not-opened (空间未开通)、closed (空间已关闭)、
busy (服务繁忙)、no-permission (没有权限)、no-such-account (没有这个号码)。
仅对好友开放的空间 (visitors 或 moods 的 no-permission) 不算失败: restricted 为
true, 其访问数和说说数为 null。

csv 中以 = + - @、制表符或回车开头的文字前加 &apos; , 电子表格便把它当作文字显示;
控制字符换成 U+FFFD。json 保持原样。

退出状态: 0 每个号码都是 ok, 1 有号码被拒绝、partial 或 failed, 或会话被拒绝,
%10 用法错误、命令行指定的会话或证书文件无法使用、无法读取输入或无法写入输出,
%11 被 Ctrl-C 停止, %12 输出被读取方关闭 (如 | head)。
</translation>
    </message>
    <message>
        <source>
Signing in:
  mirelo-lookup --sign-in [--cookies FILE]
                   shows a QR code to scan with QQ on your phone (also
                   saved as a picture, whose file is named) and, once you
                   confirm on the phone, keeps the session in FILE or the
                   default file, readable by you alone. Exit status 0
                   signed in, 1 refused, expired, restricted or failed,
                   %1 stopped by Ctrl-C.
  mirelo-lookup --sign-out [--cookies FILE]
                   deletes the session file.
  mirelo-lookup --check-session [--cookies FILE | --cookies-from-browser B]
                   lists the session&apos;s cookies by name (never a value),
                   the services each is sent to and when each expires.
                   Exit status 0 when a lookup would be signed in, 1 when
                   not, and why.
</source>
        <translation>
扫码登录:
  mirelo-lookup --sign-in [--cookies FILE]
                   显示一个二维码, 请用手机QQ扫描 (也保存为图片, 并说明
                   文件位置); 在手机上确认后, 会话保存在 FILE 或默认文件中,
                   只有你本人可读。退出状态 0 登录成功, 1 被拒绝、过期、
                   网络受限或失败, %1 被 Ctrl-C 中止。
  mirelo-lookup --sign-out [--cookies FILE]
                   删除会话文件。
  mirelo-lookup --check-session [--cookies FILE | --cookies-from-browser B]
                   列出会话的 cookie 名称 (从不显示值)、每个会发送给
                   哪些服务以及何时过期。退出状态 0 表示查询会带登录
                   会话, 1 表示不会, 并说明原因。
</translation>
    </message>
    <message>
        <source>--%1 is given more than once</source>
        <translation>--%1 只能给出一次</translation>
    </message>
</context>
<context>
    <name>LookupProgram</name>
    <message>
        <source>argument %1</source>
        <translation>第 %1 个参数</translation>
    </message>
    <message>
        <source>line %1</source>
        <translation>第 %1 行</translation>
    </message>
    <message>
        <source>%1: &quot;%2&quot; refused: %3</source>
        <translation>%1：“%2”被拒绝：%3</translation>
    </message>
    <message>
        <source>the line is too long</source>
        <translation>这一行太长</translation>
    </message>
    <message>
        <source>%1: %2</source>
        <translation>%1：%2</translation>
    </message>
    <message>
        <source>a service asked to slow down: no new start for %1 s</source>
        <translation>服务要求放慢：%1 秒内不开始新的查询</translation>
    </message>
    <message>
        <source>the services&apos; firewall blocked the requests: slowing down</source>
        <translation>服务的防火墙拦截了请求：放慢查询</translation>
    </message>
</context>
<context>
    <name>LookupSetup</name>
    <message>
        <source>cannot read %1: %2</source>
        <translation>无法读取 %1：%2</translation>
    </message>
    <message>
        <source>no certificate in %1</source>
        <translation>%1 中没有证书</translation>
    </message>
    <message>
        <source>the session in the Firefox profile %1 was refused: sign in again in Firefox</source>
        <translation>Firefox 配置文件 %1 中的登录会话被拒绝：请在 Firefox 中重新登录</translation>
    </message>
    <message>
        <source>the session in %1 was refused: sign in again and export the cookies anew</source>
        <translation>%1 中的登录会话被拒绝：请重新登录，再重新导出 cookie</translation>
    </message>
</context>
<context>
    <name>Messages</name>
    <message>
        <source>cannot write the results: %1</source>
        <translation>无法写入结果：%1</translation>
    </message>
    <message>
        <source>cannot read the numbers: %1</source>
        <translation>无法读取号码：%1</translation>
    </message>
</context>
<context>
    <name>ProgressLine</name>
    <message>
        <source>%1/%2 done, %3 partial, %4 failed, %5 numbers/s</source>
        <translation>已完成 %1/%2，部分失败 %3，失败 %4，每秒 %5 个号码</translation>
    </message>
    <message>
        <source>; asked to slow down: next start in %1 s</source>
        <translation>；服务要求放慢：%1 秒后开始下一个</translation>
    </message>
</context>
<context>
    <name>QrSignIn</name>
    <message>
        <source>the code came without its picture (HTTP %1)</source>
        <translation>二维码没有随图片一起到来 (HTTP %1)</translation>
    </message>
    <message>
        <source>the login answered no state (HTTP %1)</source>
        <translation>登录服务没有给出状态 (HTTP %1)</translation>
    </message>
    <message>
        <source>%1 %2</source>
        <comment>code, message</comment>
        <translation>%1 %2</translation>
    </message>
    <message>
        <source>cannot write %1: %2</source>
        <translation>无法写入 %1: %2</translation>
    </message>
</context>
<context>
    <name>ResultTable</name>
    <message>
        <source>QQ</source>
        <translation>QQ号码</translation>
    </message>
    <message>
        <source>Nickname</source>
        <translation>昵称</translation>
    </message>
    <message>
        <source>Points</source>
        <translation>积分</translation>
    </message>
    <message>
        <source>Level</source>
        <translation>等级</translation>
    </message>
    <message>
        <source>Music</source>
        <translation>音乐</translation>
    </message>
    <message>
        <source>Blogs</source>
        <translation>日志</translation>
    </message>
    <message>
        <source>Moods</source>
        <translation>说说</translation>
    </message>
    <message>
        <source>Today</source>
        <translation>今日访问</translation>
    </message>
    <message>
        <source>Total</source>
        <translation>历史访问</translation>
    </message>
    <message>
        <source>Sunshine</source>
        <translation>阳光值</translation>
    </message>
    <message>
        <source>Rain</source>
        <translation>雨露值</translation>
    </message>
    <message>
        <source>Love</source>
        <translation>爱心值</translation>
    </message>
    <message>
        <source>Nutrition</source>
        <translation>营养值</translation>
    </message>
    <message>
        <source>Vine level</source>
        <translation>花藤等级</translation>
    </message>
</context>
<context>
    <name>Session</name>
    <message>
        <source>no QZone session in %1</source>
        <translation>%1 中没有 QQ 空间的登录会话</translation>
    </message>
    <message>
        <source>1 cookie for %1</source>
        <translation>%1 的 1 个 cookie</translation>
    </message>
    <message>
        <source>%1 cookies for %2</source>
        <translation>%2 的 %1 个 cookie</translation>
    </message>
</context>
<context>
    <name>SessionChecks</name>
    <message>
        <source>the session in %1 expired on %2: sign in again</source>
        <translation>%1 中的会话已于 %2 过期: 请重新登录</translation>
    </message>
    <message>
        <source>the cookies in %1 reach none of the services: they are for %2</source>
        <translation>%1 中的 cookie 不会发送给任何服务: 它们属于 %2</translation>
    </message>
</context>
<context>
    <name>SessionFiles</name>
    <message>
        <source>%1; looking up without a session</source>
        <translation>%1；不带登录会话查询</translation>
    </message>
</context>
<context>
    <name>SessionReport</name>
    <message>
        <source>when the browser closes</source>
        <translation>浏览器关闭时</translation>
    </message>
    <message>
        <source>none</source>
        <translation>无</translation>
    </message>
    <message>
        <source>no session: there is no %1; sign in with mirelo-lookup --sign-in</source>
        <translation>没有会话: 没有 %1; 请用 mirelo-lookup --sign-in 登录</translation>
    </message>
    <message>
        <source>a lookup would not be signed in</source>
        <translation>查询将不带登录会话</translation>
    </message>
    <message>
        <source>session: %1 (%2)</source>
        <translation>会话: %1 (%2)</translation>
    </message>
    <message>
        <source>signed in as QQ %1</source>
        <translation>已登录: QQ %1</translation>
    </message>
    <message>
        <source>cookie</source>
        <translation>cookie</translation>
    </message>
    <message>
        <source>expires</source>
        <translation>过期时间</translation>
    </message>
    <message>
        <source>sent to</source>
        <translation>发送给</translation>
    </message>
</context>
<context>
    <name>SignInProgram</name>
    <message>
        <source>the code is also in %1</source>
        <translation>二维码图片也保存在 %1</translation>
    </message>
    <message>
        <source>the code cannot be drawn here: open %1</source>
        <translation>这里无法显示二维码: 请打开 %1</translation>
    </message>
    <message>
        <source>scan the code with QQ on your phone</source>
        <translation>请用手机QQ扫描二维码</translation>
    </message>
    <message>
        <source>scanned: confirm the sign-in on your phone</source>
        <translation>已扫描，请在手机上确认</translation>
    </message>
    <message>
        <source>the code expired: here is a new one</source>
        <translation>二维码已过期，已刷新</translation>
    </message>
    <message>
        <source>signed in as QQ %1; the session is in %2</source>
        <translation>登录成功：QQ %1；会话保存在 %2</translation>
    </message>
    <message>
        <source>the sign-in was refused on the phone</source>
        <translation>已在手机上拒绝登录</translation>
    </message>
    <message>
        <source>the code expired too often: sign in again</source>
        <translation>二维码多次过期：请重新登录</translation>
    </message>
    <message>
        <source>this network may not sign in by QR code (HTTP 403): try another network</source>
        <translation>网络受限，无法扫码登录 (HTTP 403)：请换一个网络</translation>
    </message>
    <message>
        <source>the sign-in failed: %1</source>
        <translation>扫码登录失败：%1</translation>
    </message>
    <message>
        <source>no session in %1</source>
        <translation>%1 中没有会话</translation>
    </message>
    <message>
        <source>cannot delete %1: %2</source>
        <translation>无法删除 %1: %2</translation>
    </message>
    <message>
        <source>signed out: %1 is deleted</source>
        <translation>已退出登录：%1 已删除</translation>
    </message>
</context>
<context>
    <name>StatusWords</name>
    <message>
        <source>visitors</source>
        <translation>访问</translation>
    </message>
    <message>
        <source>portrait</source>
        <translation>头像昵称</translation>
    </message>
    <message>
        <source>moods</source>
        <translation>说说</translation>
    </message>
    <message>
        <source>blog</source>
        <translation>日志</translation>
    </message>
    <message>
        <source>music</source>
        <translation>音乐</translation>
    </message>
    <message>
        <source>flower_vine</source>
        <translation>花藤</translation>
    </message>
    <message>
        <source>unreachable</source>
        <translation>无法连接</translation>
    </message>
    <message>
        <source>timeout</source>
        <translation>超时</translation>
    </message>
    <message>
        <source>http-%1</source>
        <translation>HTTP %1 错误</translation>
    </message>
    <message>
        <source>not-an-answer</source>
        <translation>应答无法识别</translation>
    </message>
    <message>
        <source>signin-needed</source>
        <translation>需要登录</translation>
    </message>
    <message>
        <source>rate-limited</source>
        <translation>请求过于频繁</translation>
    </message>
    <message>
        <source>not-opened</source>
        <translation>空间未开通</translation>
    </message>
    <message>
        <source>closed</source>
        <translation>空间已关闭</translation>
    </message>
    <message>
        <source>busy</source>
        <translation>服务繁忙</translation>
    </message>
    <message>
        <source>no-permission</source>
        <translation>没有权限</translation>
    </message>
    <message>
        <source>no-such-account</source>
        <translation>没有这个号码</translation>
    </message>
    <message>
        <source>blocked</source>
        <translation>被防火墙拦截</translation>
    </message>
    <message>
        <source>%1 %2</source>
        <comment>service, problem</comment>
        <translation>%1 %2</translation>
    </message>
    <message>
        <source>failed</source>
        <translation>失败</translation>
    </message>
    <message>
        <source>partial</source>
        <translation>部分失败</translation>
    </message>
    <message>
        <source>%1: %2</source>
        <comment>status, problems</comment>
        <translation>%1：%2</translation>
    </message>
    <message>
        <source>, </source>
        <translation>，</translation>
    </message>
    <message>
        <source>certificate</source>
        <translation>certificate</translation>
    </message>
</context>
</TS>
