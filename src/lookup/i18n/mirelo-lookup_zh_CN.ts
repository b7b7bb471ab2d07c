<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_CN">
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
        <source>Usage: mirelo-lookup [options] [NUMBER...]
Looks up the public QZone values of QQ numbers, as Mirelo&apos;s window does,
and prints one result per number in the order given. Without numbers it
reads them from standard input, one per line, and starts each as soon as
its line arrives (blank lines and lines starting with # are skipped;
spaces and tabs around a number are ignored).

Options:
  --format FORMAT  table (default on a terminal), csv or json (default
                   otherwise: one JSON object per line)
  --parallel N     numbers in flight at once, 1 to %2 (default %3)
  --interval MS    pause between starting two numbers (default 0)
  -h, --help       show this help
  --version        show the version

Fields of csv and json, in order:
%1json adds &quot;problems&quot;: {service: problem} for each service that failed.

A value is given only when its service answered; otherwise it is null (an
empty csv field), never 0. status is ok (every service answered), partial
or failed (none did); a number that is not ok also gets a line on standard
error, e.g. &quot;10001: partial: moods rate-limited, blog unreachable&quot;.
Services: visitors, portrait, moods, blog, music, flower_vine.
Problems: unreachable (no connection), timeout, http-NNN (an HTTP error),
not-an-answer (no expected marker: an error page, a changed format), and
those a service names: signin-needed, rate-limited, not-opened, closed,
busy, no-permission. A space open to friends only (no-permission from
visitors or moods) is no failure: restricted is true, and its visit and
mood counts are null.

csv text that starts with = + - @, a tab or a carriage return gets a
leading &apos; so spreadsheets show it as text; control characters become
U+FFFD. json is exact.

Exit status: 0 every number ok, 1 a number refused, partial or failed,
2 usage error or an unreadable input or unwritable output, 130 stopped by
Ctrl-C, 141 output closed by its reader (e.g. | head).
</source>
        <translation>用法: mirelo-lookup [选项] [号码...]
像 Mirelo 的窗口一样查询 QQ 号码的 QQ 空间公开信息, 按给出的顺序每个号码输出
一条结果。命令行上没有号码时从标准输入读取, 每行一个, 每行一到就开始查询
(空行和以 # 开头的行跳过; 号码前后的空格和制表符忽略)。

选项:
  --format FORMAT  table (终端上的默认格式)、csv 或 json (其他情况的默认格式:
                   每行一个 JSON 对象)
  --parallel N     同时查询的号码数, 1 到 %2 (默认 %3)
  --interval MS    开始两个号码之间的间隔毫秒数 (默认 0)
  -h, --help       显示本帮助
  --version        显示版本号

csv 和 json 的字段, 依次为:
%1json 另有 &quot;problems&quot;: {服务: 问题}, 列出每个失败的服务。

只有服务应答了, 才给出它的值; 否则为 null (csv 中为空字段), 绝不是 0。status
为 ok (每个服务都应答了)、partial (部分应答) 或 failed (都没有应答); 不是 ok 的
号码另在标准错误输出一行, 如 &quot;10001：部分失败：说说 请求过于频繁，日志 无法连接&quot;。
服务: visitors (访问)、portrait (头像昵称)、moods (说说)、blog (日志)、music (音乐)、
flower_vine (花藤)。
问题: unreachable (无法连接)、timeout (超时)、http-NNN (HTTP 错误)、
not-an-answer (应答中没有应有的标记: 错误页面、格式已变), 以及服务自己指出的:
signin-needed (需要登录)、rate-limited (请求过于频繁)、not-opened (空间未开通)、
closed (空间已关闭)、busy (服务繁忙)、no-permission (没有权限)。仅对好友开放的
空间 (visitors 或 moods 的 no-permission) 不算失败: restricted 为 true, 其访问数
和说说数为 null。

csv 中以 = + - @、制表符或回车开头的文字前加 &apos; , 电子表格便把它当作文字显示;
控制字符换成 U+FFFD。json 保持原样。

退出状态: 0 每个号码都是 ok, 1 有号码被拒绝、partial 或 failed, 2 用法错误或无法
读取输入、无法写入输出, 130 被 Ctrl-C 停止, 141 输出被读取方关闭 (如 | head)。
</translation>
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
        <source>cannot read the numbers: %1</source>
        <translation>无法读取号码：%1</translation>
    </message>
    <message>
        <source>%1: %2</source>
        <translation>%1：%2</translation>
    </message>
    <message>
        <source>cannot write the results: %1</source>
        <translation>无法写入结果：%1</translation>
    </message>
    <message>
        <source>%1/%2 done</source>
        <translation>已完成 %1/%2</translation>
    </message>
    <message>
        <source>%1 done</source>
        <translation>已完成 %1</translation>
    </message>
    <message>
        <source>%1, %2 partial, %3 failed, %4 numbers/s</source>
        <translation>%1，部分失败 %2，失败 %3，每秒 %4 个号码</translation>
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
</context>
</TS>
