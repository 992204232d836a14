<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US" sourcelanguage="zh_CN">
<context>
    <name>Content</name>
    <message>
        <source>文本</source>
        <translation>Text</translation>
    </message>
    <message>
        <source>网址</source>
        <translation>URL</translation>
    </message>
    <message>
        <source>Wi-Fi</source>
        <translation>Wi-Fi</translation>
    </message>
    <message>
        <source>联系人</source>
        <translation>Contact</translation>
    </message>
    <message>
        <source>电子邮件</source>
        <translation>Email</translation>
    </message>
    <message>
        <source>短信</source>
        <translation>SMS</translation>
    </message>
    <message>
        <source>电话</source>
        <translation>Phone</translation>
    </message>
    <message>
        <source>位置</source>
        <translation>Location</translation>
    </message>
    <message>
        <source>日程</source>
        <translation>Event</translation>
    </message>
    <message>
        <source>网络名称</source>
        <translation>Network</translation>
    </message>
    <message>
        <source>密码</source>
        <translation>Password</translation>
    </message>
    <message>
        <source>加密方式</source>
        <translation>Security</translation>
    </message>
    <message>
        <source>隐藏网络</source>
        <translation>Hidden</translation>
    </message>
    <message>
        <source>姓名</source>
        <translation>Name</translation>
    </message>
    <message>
        <source>单位</source>
        <translation>Company</translation>
    </message>
    <message>
        <source>职务</source>
        <translation>Job title</translation>
    </message>
    <message>
        <source>地址</source>
        <translation>Address</translation>
    </message>
    <message>
        <source>备注</source>
        <translation>Note</translation>
    </message>
    <message>
        <source>收件人</source>
        <translation>To</translation>
    </message>
    <message>
        <source>主题</source>
        <translation>Subject</translation>
    </message>
    <message>
        <source>正文</source>
        <translation>Message</translation>
    </message>
    <message>
        <source>号码</source>
        <translation>Number</translation>
    </message>
    <message>
        <source>纬度</source>
        <translation>Latitude</translation>
    </message>
    <message>
        <source>经度</source>
        <translation>Longitude</translation>
    </message>
    <message>
        <source>标题</source>
        <translation>Title</translation>
    </message>
    <message>
        <source>开始</source>
        <translation>Start</translation>
    </message>
    <message>
        <source>结束</source>
        <translation>End</translation>
    </message>
    <message>
        <source>地点</source>
        <translation>Place</translation>
    </message>
    <message>
        <source>未知字段“%1”。</source>
        <translation>Unknown field “%1”.</translation>
    </message>
    <message>
        <source>请填写“%1”。</source>
        <translation>Please fill in “%1”.</translation>
    </message>
    <message>
        <source>“%1”的值无效。</source>
        <translation>“%1” has no valid value.</translation>
    </message>
    <message>
        <source>“%1”必须是以度为单位的数字，例如 %2。</source>
        <translation>“%1” must be a number of degrees, e.g. %2.</translation>
    </message>
    <message>
        <source>“%1”必须在 %2 到 %3 之间。</source>
        <translation>“%1” must lie between %2 and %3.</translation>
    </message>
    <message>
        <source>“%1”必须是存在的日期和时间，格式为 YYYYMMDDTHHMMSS（UTC 时间末尾加 Z）。</source>
        <translation>“%1” must be a real date and time as YYYYMMDDTHHMMSS (Z at the end for UTC).</translation>
    </message>
    <message>
        <source>“%1”早于“%2”。</source>
        <translation>“%1” is before “%2”.</translation>
    </message>
    <message>
        <source>“%1”和“%2”必须同为 UTC 时间（末尾加 Z）或同为本地时间。</source>
        <translation>“%1” and “%2” must both be UTC (Z at the end) or both local time.</translation>
    </message>
    <message>
        <source>“%1”只能包含数字、开头的 +、- . ( ) 和空格。</source>
        <translation>“%1” may hold only digits, a leading +, - . ( ) and spaces.</translation>
    </message>
    <message>
        <source>“%1”必须是电子邮件地址（name@example.org），多个地址用逗号分隔。</source>
        <translation>“%1” must be email addresses (name@example.org), separated by commas.</translation>
    </message>
    <message>
        <source>“%1”只能有一行。</source>
        <translation>“%1” must be one line.</translation>
    </message>
    <message>
        <source>无密码的网络不需要“%1”。</source>
        <translation>A network without a password needs no “%1”.</translation>
    </message>
    <message>
        <source>不是普通文件。</source>
        <translation>Not a regular file.</translation>
    </message>
    <message>
        <source>文件大于 %1 MiB。</source>
        <translation>The file is larger than %1 MiB.</translation>
    </message>
    <message>
        <source>无法绘制这个 SVG 文件。</source>
        <translation>This SVG file cannot be drawn.</translation>
    </message>
</context>
<context>
    <name>Form1</name>
    <message>
        <source>二维码设置</source>
        <translation>QR Code settings</translation>
    </message>
    <message>
        <source>小图</source>
        <translation>Small</translation>
    </message>
    <message>
        <source>中图</source>
        <translation>Mid</translation>
    </message>
    <message>
        <source>大图</source>
        <translation>Large</translation>
    </message>
    <message>
        <source>生成二维码</source>
        <translation>Generate</translation>
    </message>
    <message>
        <source>保存图片</source>
        <translation>Save image</translation>
    </message>
    <message>
        <source>最低罚分</source>
        <translation>Min penalty</translation>
    </message>
</context>
<context>
    <name>PrintPage</name>
    <message>
        <source>二维码</source>
        <translation>QR Code</translation>
    </message>
    <message>
        <source> 毫米</source>
        <translation> mm</translation>
    </message>
    <message>
        <source>宽度含四周的空白（静区）。每个模块占整数个打印点，实际宽度取最接近的可打印值。</source>
        <translation>The width includes the blank margin around the symbol (the quiet zone). Each module takes a whole number of printer dots; the printed width is the nearest one the printer can make.</translation>
    </message>
    <message>
        <source>二维码宽度(&amp;W)：</source>
        <translation>Symbol &amp;width:</translation>
    </message>
</context>
<context>
    <name>ReadingText</name>
    <message>
        <source>图片 (%1)</source>
        <translation>Images (%1)</translation>
    </message>
    <message>
        <source>所有文件 (*)</source>
        <translation>All files (*)</translation>
    </message>
    <message>
        <source>无法读取图片“%1”：%2</source>
        <translation>Cannot read the image “%1”: %2</translation>
    </message>
    <message>
        <source>不是普通文件。</source>
        <translation>It is not a regular file.</translation>
    </message>
    <message>
        <source>识别</source>
        <translation>Read</translation>
    </message>
    <message>
        <source>识别图片…</source>
        <translation>Read image…</translation>
    </message>
    <message>
        <source>识别图片文件中的二维码 (Ctrl+O)</source>
        <translation>Read the QR Codes in an image file (Ctrl+O)</translation>
    </message>
    <message>
        <source>识别屏幕</source>
        <translation>Read screen</translation>
    </message>
    <message>
        <source>识别整个屏幕上的二维码 (Ctrl+R)</source>
        <translation>Read the QR Codes on the whole screen (Ctrl+R)</translation>
    </message>
    <message>
        <source>识别图片</source>
        <translation>Read an image</translation>
    </message>
    <message>
        <source>剪贴板中没有图片。</source>
        <translation>The clipboard holds no image.</translation>
    </message>
    <message>
        <source>屏幕</source>
        <translation>Screen</translation>
    </message>
    <message>
        <source>图片</source>
        <translation>Image</translation>
    </message>
    <message>
        <source>重新生成的二维码与识别的不同（数据或设置无法还原）。</source>
        <translation>The symbol generated differs from the one read (its data or settings cannot be restored).</translation>
    </message>
    <message>
        <source>已重新生成：版本、纠错等级、掩码与数据都与识别的相同。</source>
        <translation>Generated again: version, error correction level, mask and data are those read.</translation>
    </message>
    <message>
        <source>已重新生成：数据相同；原图的版本或掩码未能读出，未必相同。</source>
        <translation>Generated again: the data are the same; the version or mask of the original could not be read and may differ.</translation>
    </message>
</context>
<context>
    <name>ResultsText</name>
    <message>
        <source>微信</source>
        <translation>WeChat</translation>
    </message>
    <message>
        <source>未知</source>
        <translation>unknown</translation>
    </message>
    <message>
        <source>版本 %1 · 纠错等级 %2 · 掩码 %3 · 数据段 %4</source>
        <translation>version %1 · level %2 · mask %3 · segments %4</translation>
    </message>
    <message>
        <source>无</source>
        <translation>none</translation>
    </message>
    <message>
        <source>在 Wayland 桌面上无法截取屏幕：请用桌面的截图工具截图，再按 Ctrl+Shift+V 从剪贴板识别。</source>
        <translation>The screen cannot be captured on a Wayland desktop: take a screenshot with the desktop’s tool, then press Ctrl+Shift+V to read it from the clipboard.</translation>
    </message>
    <message>
        <source>无法截取屏幕。</source>
        <translation>The screen cannot be captured.</translation>
    </message>
    <message>
        <source>识别结果</source>
        <translation>Read results</translation>
    </message>
    <message>
        <source>复制文本</source>
        <translation>Copy text</translation>
    </message>
    <message>
        <source>打开链接</source>
        <translation>Open link</translation>
    </message>
    <message>
        <source>编辑并重新生成</source>
        <translation>Edit and generate</translation>
    </message>
    <message>
        <source>%1：未找到二维码。</source>
        <translation>%1: no QR Code found.</translation>
    </message>
    <message>
        <source>%1：找到 %2 个二维码。</source>
        <translation>%1: QR Codes found: %2.</translation>
    </message>
    <message>
        <source>未使用微信的识别器：%1</source>
        <translation>WeChat’s reader not used: %1</translation>
    </message>
    <message>
        <source>文本：%1</source>
        <translation>Text: %1</translation>
    </message>
    <message>
        <source>：</source>
        <translation>: </translation>
    </message>
    <message>
        <source>未使用</source>
        <translation>not used</translation>
    </message>
    <message>
        <source>无法识别</source>
        <translation>does not read</translation>
    </message>
    <message>
        <source>，无 ECI</source>
        <translation>, no ECI</translation>
    </message>
    <message>
        <source>，ECI %1</source>
        <translation>, ECI %1</translation>
    </message>
    <message>
        <source>打开这个链接吗？

%1</source>
        <translation>Open this link?

%1</translation>
    </message>
    <message>
        <source>，</source>
        <translation>, </translation>
    </message>
</context>
<context>
    <name>SaveFiles</name>
    <message>
        <source>位图文件(*.bmp)</source>
        <translation>Bitmap file (*.bmp)</translation>
    </message>
    <message>
        <source>PNG 图片(*.png)</source>
        <translation>PNG image (*.png)</translation>
    </message>
    <message>
        <source>SVG 矢量图(*.svg)</source>
        <translation>SVG vector image (*.svg)</translation>
    </message>
    <message>
        <source>文件夹不存在</source>
        <translation>The folder does not exist</translation>
    </message>
    <message>
        <source>路径中有一部分不是文件夹</source>
        <translation>A part of the path is not a folder</translation>
    </message>
    <message>
        <source>没有写入权限</source>
        <translation>No permission to write</translation>
    </message>
    <message>
        <source>文件系统为只读</source>
        <translation>The file system is read-only</translation>
    </message>
    <message>
        <source>磁盘空间不足</source>
        <translation>The disk is full</translation>
    </message>
    <message>
        <source>文件名过长</source>
        <translation>The file name is too long</translation>
    </message>
    <message>
        <source>已有同名的文件夹</source>
        <translation>A folder of that name exists</translation>
    </message>
</context>
<context>
    <name>StatusLine</name>
    <message>
        <source>掩码 %1</source>
        <translation>mask %1</translation>
    </message>
    <message>
        <source>掩码 %1（罚分 %2）</source>
        <translation>mask %1 (penalty %2)</translation>
    </message>
    <message>
        <source>数据 %1 / %2 位</source>
        <translation>data %1 / %2 bits</translation>
    </message>
    <message>
        <source>%1：读取正确</source>
        <translation>%1: reads correctly</translation>
    </message>
    <message>
        <source>%1：显示为“%2”</source>
        <translation>%1: shows “%2”</translation>
    </message>
    <message>
        <source>%1：读出数据，但无法显示文本</source>
        <translation>%1: reads the data but cannot show the text</translation>
    </message>
    <message>
        <source>%1：无法识别（仅纯图模式可识别）</source>
        <translation>%1: does not read (only in pure-symbol mode)</translation>
    </message>
    <message>
        <source>%1：无法识别（仅放大后可识别）</source>
        <translation>%1: does not read (only when enlarged)</translation>
    </message>
    <message>
        <source>%1：无法识别</source>
        <translation>%1: does not read</translation>
    </message>
    <message>
        <source>“%1”（%2 像素）</source>
        <translation>“%1” (%2 pixels)</translation>
    </message>
    <message>
        <source>建议：%1 像素的图片无法识别，请选择%2后重新生成。</source>
        <translation>Advice: the %1-pixel picture does not read; choose %2 and generate again.</translation>
    </message>
    <message>
        <source>或</source>
        <translation> or </translation>
    </message>
    <message>
        <source>%1 像素的图片无法识别；窗口的尺寸与纠错等级都无法识别，每模块整数像素的 %2 像素图片可以识别。</source>
        <translation>The %1-pixel picture does not read, nor do the window&apos;s sizes and levels; a picture of %2 pixels (whole pixels per module) reads.</translation>
    </message>
    <message>
        <source> 或 </source>
        <translation> or </translation>
    </message>
    <message>
        <source>%1 像素以内的其他尺寸</source>
        <translation>other sizes up to %1 pixels</translation>
    </message>
    <message>
        <source>其他纠错等级</source>
        <translation>other error-correction levels</translation>
    </message>
    <message>
        <source>%1 像素的图片无法识别。</source>
        <translation>The %1-pixel picture does not read.</translation>
    </message>
    <message>
        <source>%1 像素的图片无法识别，%2也无法识别。</source>
        <translation>The %1-pixel picture does not read, nor do %2.</translation>
    </message>
    <message>
        <source>与</source>
        <translation> and </translation>
    </message>
    <message>
        <source>%1 字节，远超任何二维码的容量</source>
        <translation>%1 bytes, far beyond any QR Code&apos;s capacity</translation>
    </message>
    <message>
        <source>需要 %1 位，%2-%3 最多 %4 位</source>
        <translation>%1 bits needed, %2-%3 holds at most %4 bits</translation>
    </message>
    <message>
        <source>；选择版本 %1 可容纳</source>
        <translation>; version %1 holds them</translation>
    </message>
    <message>
        <source>；选择 %1 可容纳</source>
        <translation>; level %1 holds them</translation>
    </message>
    <message>
        <source>数字</source>
        <translation>numeric</translation>
    </message>
    <message>
        <source>字母数字</source>
        <translation>alphanumeric</translation>
    </message>
    <message>
        <source>汉字</source>
        <translation>Kanji</translation>
    </message>
    <message>
        <source>字节</source>
        <translation>byte</translation>
    </message>
    <message>
        <source>建议：将文本编码改为“%1”后重新生成。</source>
        <translation>Advice: set the text encoding to “%1” and generate again.</translation>
    </message>
    <message>
        <source>标志大小 %1 %</source>
        <translation>logo size %1 %</translation>
    </message>
    <message>
        <source>其他纠错等级与更小的标志</source>
        <translation>other error correction levels and smaller logos</translation>
    </message>
    <message>
        <source>边距 %1 个模块，少于标准要求的 4 个，有些识读器找不到二维码</source>
        <translation>a margin of %1 modules, less than the 4 the standard asks for, and some readers will not find the symbol</translation>
    </message>
    <message>
        <source>前景色比背景色浅，很多识读器读不了反色的二维码</source>
        <translation>the foreground is lighter than the background, and many readers cannot read inverted symbols</translation>
    </message>
    <message>
        <source>前景色与背景色的对比度低于 3:1，识读器可能分不清模块</source>
        <translation>the contrast of foreground and background is below 3:1, and readers may not tell the modules apart</translation>
    </message>
    <message>
        <source>注意：%1。</source>
        <translation>Note: %1.</translation>
    </message>
    <message>
        <source>；</source>
        <translation>; </translation>
    </message>
    <message>
        <source>微信</source>
        <translation>WeChat</translation>
    </message>
</context>
<context>
    <name>qrdesk::Form1</name>
    <message>
        <source>请在此输入文本信息！</source>
        <translation>Type your text here!</translation>
    </message>
    <message>
        <source>您未输入文本信息！</source>
        <translation>You have not typed any text!</translation>
    </message>
    <message>
        <source>文本信息过长，无法生成二维码！</source>
        <translation>The text is too long for a QR Code!</translation>
    </message>
    <message>
        <source>内存不足，无法生成二维码！</source>
        <translation>Not enough memory to make the QR Code!</translation>
    </message>
    <message>
        <source>复制</source>
        <translation>Copy</translation>
    </message>
    <message>
        <source>另存为…</source>
        <translation>Save As…</translation>
    </message>
    <message>
        <source>打印…</source>
        <translation>Print…</translation>
    </message>
    <message>
        <source>请先生成二维码</source>
        <translation>Generate a QR Code first</translation>
    </message>
    <message>
        <source>文本信息过长，未能生成二维码，没有可保存的图片。</source>
        <translation>The text was too long for a QR Code: there is no picture to save.</translation>
    </message>
    <message>
        <source>文本信息过长，未能生成二维码，没有可打印的图片。</source>
        <translation>The text was too long for a QR Code: there is no picture to print.</translation>
    </message>
    <message>
        <source>保存二维码文件</source>
        <translation>Save QR Code File</translation>
    </message>
    <message>
        <source>已复制到剪贴板</source>
        <translation>Copied to the clipboard</translation>
    </message>
    <message>
        <source>%1 已存在。
要替换它吗？</source>
        <translation>%1 already exists.
Do you want to replace it?</translation>
    </message>
    <message>
        <source>无法保存文件 %1
%2</source>
        <translation>Cannot save the file %1
%2</translation>
    </message>
    <message>
        <source>已保存：%1</source>
        <translation>Saved: %1</translation>
    </message>
    <message>
        <source>无法打印：打印机“%1”不可用</source>
        <translation>Cannot print: the printer “%1” is not available</translation>
    </message>
    <message>
        <source>无法打印到文件 %1</source>
        <translation>Cannot print to the file %1</translation>
    </message>
    <message>
        <source>已打印：%1</source>
        <translation>Printed: %1</translation>
    </message>
</context>
<context>
    <name>qrdesk::SideColumn</name>
    <message>
        <source>无密码</source>
        <translation>None</translation>
    </message>
    <message>
        <source>内容</source>
        <translation>Content</translation>
    </message>
    <message>
        <source>内容类型</source>
        <translation>Kind of content</translation>
    </message>
    <message>
        <source>将编码的文本</source>
        <translation>The text to encode</translation>
    </message>
    <message>
        <source>外观</source>
        <translation>Appearance</translation>
    </message>
    <message>
        <source>前景色</source>
        <translation>Foreground</translation>
    </message>
    <message>
        <source>背景色</source>
        <translation>Background</translation>
    </message>
    <message>
        <source> 模块</source>
        <translation> modules</translation>
    </message>
    <message>
        <source>四周空白的宽度（模块）；少于 4 个模块时部分扫描器可能无法识别</source>
        <translation>The width of the blank border in modules; below 4 modules some scanners may not read the symbol</translation>
    </message>
    <message>
        <source>边距</source>
        <translation>Margin</translation>
    </message>
    <message>
        <source>选择…</source>
        <translation>Choose…</translation>
    </message>
    <message>
        <source>放在二维码中央的标志（PNG、JPEG 或 SVG）</source>
        <translation>A logo in the middle of the symbol (PNG, JPEG or SVG)</translation>
    </message>
    <message>
        <source>去掉标志</source>
        <translation>Remove the logo</translation>
    </message>
    <message>
        <source>标志</source>
        <translation>Logo</translation>
    </message>
    <message>
        <source>标志（含白边）占二维码宽度的百分比</source>
        <translation>The logo with its white border as a percentage of the symbol’s width</translation>
    </message>
    <message>
        <source>标志大小</source>
        <translation>Logo size</translation>
    </message>
    <message>
        <source>选择标志</source>
        <translation>Choose a logo</translation>
    </message>
    <message>
        <source>图片 (*.png *.jpg *.jpeg *.svg)</source>
        <translation>Images (*.png *.jpg *.jpeg *.svg)</translation>
    </message>
    <message>
        <source>在“二维码设置”的文本框中输入文本。</source>
        <translation>Type the text in the box under “QR Code settings”.</translation>
    </message>
    <message>
        <source>将编码的文本：</source>
        <translation>Text to encode:</translation>
    </message>
    <message>
        <source>无法使用标志文件 %1
%2</source>
        <translation>Cannot use the logo file %1
%2</translation>
    </message>
</context>
</TS>
