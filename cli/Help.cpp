#include "cli/Options.h"

#ifndef QRDESK_VERSION
#define QRDESK_VERSION "unknown"
#endif

namespace qrdesk::cli {

std::string VersionText() {
    return std::string("qrdesk-cli ") + QRDESK_VERSION;
}

std::string HelpText() {
    return R"(Usage: qrdesk-cli [OPTIONS] TEXT
  or:  qrdesk-cli [OPTIONS] [-r, --read-from FILE]   (the text from FILE or standard input)
  or:  qrdesk-cli [OPTIONS] --content TYPE --field NAME=VALUE...
  or:  qrdesk-cli [OPTIONS] --batch FILE --out-dir DIR
  or:  qrdesk-cli --read [--info [json]] PICTURE...   (- for standard input)

Writes the QR Code symbol of TEXT as an image file or as text for a terminal. Without
--scale the picture is the one the qrdesk window saves for the same text and options.

Text: TEXT, FILE and standard input are read as UTF-8 (a file and standard input whole,
including a final line break; a leading byte-order mark is dropped) and converted to the
chosen encoding; input that is not valid UTF-8 is refused. Without TEXT or -r the text is
read from standard input when it is not a terminal.

Content (the text made from fields, in the format readers recognise, then encoded like
typed text; --info shows it):
      --content TYPE        text, url, wifi, contact, email, sms, tel, geo or event
      --field NAME=VALUE    one field of the type, repeatable (values are UTF-8):
                            text: text; url: url (https:// added without a scheme);
                            wifi: ssid, password, security (WPA, WEP, SAE, nopass), hidden
                            (yes, no); contact: name, org, title, phone, email, url,
                            address, note; email: to, subject, body; sms: number, body;
                            tel: number; geo: lat, lon (degrees); event: summary, start,
                            end (YYYYMMDDTHHMMSS, Z after it for UTC), location
                            An unknown type or field, or a value its format refuses, is a
                            usage error.

Output:
  -o, --output FILE         the file (default qrcode.bmp), - for standard output. A new
                            file appears whole or not at all; a file is replaced whole,
                            keeping mode, owner and hard links (set-ID bits only when owner
                            and group are kept, as cp -p); a symbolic link's target is
                            replaced, the link stays (a loop is an error; in a world-writable
                            sticky folder only links of its owner or yours are followed);
                            /dev/stdout, /dev/fd/N, a FIFO, device or socket is written into
                            (a FIFO without a reader is waited for, and said so)
  -t, --type TYPE           png, bmp, svg, or text for a terminal: utf8 (half blocks, light
                            on dark), ansi (colours), ascii; default from the file's
                            extension (.png .bmp .svg .txt), PNG for standard output, a FIFO
                            or a device; the text types go to standard output unless -o
                            names a file
  -s, --scale N             whole pixels per module: the picture is (modules + 2 x margin)
                            x N pixels, every module alike
      --size PIXELS         side of the picture, stretched without smoothing (default 600
                            without --scale; the window offers 200, 400, 600); 29 to 10000;
                            for SVG the width and height it asks for
      --unscaled            one pixel per module (--scale 1)
  -m, --margin N            the quiet zone in modules (default 4; less may not scan)
      --dpi N               the resolution written into PNG (pHYs) and BMP files
      --foreground RRGGBB[AA], --background RRGGBB[AA]
                            colours in hex (default 000000 and FFFFFF)
      --logo FILE           a PNG, JPEG or SVG logo in the middle, on a light pad a module
                            wide, over data modules only; level H unless -l is given. PNG
                            and BMP carry it in pixels, SVG embeds the file. --info says
                            whether the readers still read the text, and which smaller
                            logo or level does
      --logo-size PERCENT   the logo's box, pad included, as a share of the symbol's width
                            (5 to 30, default 20)

Symbol:
  -v, --symbol-version auto|1..40   (default auto: the smallest that holds the text)
  -l, --level L|M|Q|H       error-correction level (default M)
      --mask auto|best|0..7 mask pattern (default auto, which is pattern 0 as in the window;
                            best: the lowest of the standard's penalty over all eight)
      --encoding utf-8|ansi bytes the symbol carries (default utf-8)
      --ansi-codepage NAME  code page for --encoding ansi (default )" +
           std::string(kDefaultAnsiCodePage) + R"(), any iconv name
                            (without //IGNORE or //TRANSLIT): characters it lacks become its
                            "?"; Kanji mode only for Shift JIS
      --eci auto|off|N      an ECI header naming the character set (default off): auto
                            writes 26 (UTF-8) or the code page's designator for text that
                            is not plain ASCII; some shop scanners print the header as text
      --info [json]         print version, level, mask, segments and bits used of the
                            capacity (data bits without the terminator), then what zxing-cpp,
                            zbar and WeChat's reader read from the written picture with the
                            settings apps use (one that reads only as a pure symbol or
                            enlarged is said so and counts as not reading), and advice tried
                            before it is given: sizes, a level or ECI; json: one JSON object;
                            to standard error when the image goes to standard output. The
                            picture read: PNG and BMP pixel for pixel, translucent colours
                            over white; SVG drawn at its width and height; terminal text
                            4 pixels a module

Reading (--read): every QR Code in each PICTURE (PNG, JPEG, WebP, GIF, BMP, PNM; up to 100
megapixels), one text a line in reading order, as zbarimg --raw prints them. With --info, each
reader's text (zxing-cpp, zbar, WeChat's), its position, and the version, level, mask and
segments the modules say ("unknown" where they are not read cleanly); json: one object a
picture. Exit 0 when a symbol was read, 4 when none was, 3 when a file cannot be read or is
not a picture.

Batch (one symbol per line or CSV record of FILE, - for standard input):
      --batch FILE          the texts; empty lines are skipped and counted; a final \r is
                            dropped
      --batch-format lines|csv
                            csv: records "name,text" (RFC 4180 quoting), the file names from
                            the data; a first record "name,text" is a header
      --out-dir DIR         folder for the files (made when missing)
      --name TEMPLATE       file name with {line}, the line number from 1, or {line:05} for
                            one padded to 5 digits (default qr-{line}.bmp); its extension or
                            -t decides the type
      --force               replace existing files (otherwise such lines fail)
      --skip-existing       leave existing files alone and go on
  -j, --jobs N              worker threads (default: one per core)
      --shard K/N           only the lines whose number modulo N is K (0 <= K < N), under
                            the same names: N machines or jobs split one batch
  A progress bar on standard error when it is a terminal, a summary always, and each failed
  line in line order, by its line in the file. A name belongs to one line: a later line or
  record with the same name fails. The first failure every later line would share (the
  folder cannot be written, is full or read-only) stops the batch.

Signals: SIGINT, SIGTERM, SIGHUP, SIGALRM and SIGXFSZ stop a write or a batch within a moment
(no more lines taken, the files in flight removed, the summary printed) with exit code 128 +
the signal; a second SIGINT, SIGTERM or SIGHUP ends the program at once.

  -h, --help                this text
  -V, --version             the program's version

Exit codes: 0 success, 1 the data does not fit, 2 usage error, 3 input or output error
(standard output included), 4 --read found no symbol. A batch with failed lines exits with
the highest code among them.
)";
}

}  // namespace qrdesk::cli
