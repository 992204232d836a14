// Nothing lost: the faults found in the file writer and the batch, each reproduced as a user
// typed it, through the real qrdesk-cli in a shell, with the sound behaviour checked: no
// file the program did not make is touched, no half file is left, what a name stands for
// survives, every stop is clean and every failure is reported.

#include <gtest/gtest.h>
#include <unistd.h>

#include <QDir>
#include <QTemporaryDir>

#include "support/qt/CliProcess.h"
#include "support/qt/Files.h"
#include "support/qt/Hex.h"
#include "support/qt/ImageDecode.h"
#include "support/qt/QtPrinters.h"

namespace {

enum class Needs { Nothing, Root, PidNamespaces };

struct Reproduction {
    const char* name;  // the fault's row in the list of faults found, and what it is
    Needs needs;
    const char* setup;
    const char* run;                // as the user typed it; a subshell, so `exit` ends only it
    int code;                       // its exit code
    const char* message;            // what its standard error holds ("": nothing)
    const char* check;              // the sound behaviour: must succeed afterwards
    const char* decoded = nullptr;  // "FILE=HEX": what a reader finds in FILE
};

// The script around each reproduction. stop SIGNAL COMMAND...: the command in the
// foreground (a background job of a shell without job control starts with SIGINT ignored,
// and the program leaves it so), sent the signal once it runs and killed for good 20 s later
// (137) if it does not stop.
constexpr const char* kScript = R"sh(top=$PWD; trap 'cd "$top"; mountpoint -q t && umount t' EXIT
stop() {
    local sig=$1; shift; rm -f "$top/pid"
    (while [ ! -s "$top/pid" ]; do sleep 0.05; done; sleep 0.5; kill -$sig $(cat "$top/pid")
     sleep 20; kill -KILL $(cat "$top/pid")) </dev/null >/dev/null 2>&1 & local killer=$!
    bash -c 'echo $$ > "$0/pid"; exec "$@"' "$top" "$@"; local code=$?
    kill $killer; return $code
}
%1
(
%2
) >"$top/out.txt" 2>"$top/err.txt"; echo $? >"$top/code.txt"
%3)sh";

const Reproduction kReproductions[] = {
    {"1 look-alike names are the user's", Needs::Nothing,
     R"sh(mkdir d; echo data > d/.qrdesk-99999-notes.tmp; echo live > d/.qrdesk-$$-0.tmp
        printf 'p\nq\n' | $CLI --batch - --out-dir d -t png --name '.qrdesk-{line}-x.tmp' 2>/dev/null)sh",
     R"sh(echo x | $CLI --batch - --out-dir d --name 'a{line}.png')sh", 0, "1 written",
     R"sh([ "$(cat d/.qrdesk-99999-notes.tmp)" = data ] && [ -s d/.qrdesk-$$-0.tmp ] &&
        [ -s d/.qrdesk-1-x.tmp ] && [ -s d/.qrdesk-2-x.tmp ] && [ -s d/a1.png ])sh"},
    {"2 three shards in three PID namespaces, ten runs", Needs::PidNamespaces,
     "seq 1 60 | sed 's/^/line /' > in.txt",
     R"sh(for run in $(seq 10); do rm -rf s
            for k in 0 1 2; do  # k processes first, no exec: each program has another PID
                unshare --pid --fork --mount-proc bash -c "for i in \$(seq $k); do true & done
                    wait; $CLI --batch in.txt --out-dir s --shard $k/3 -j 2; true" &
            done; wait; [ $(ls -A s | wc -l) = 60 ] || exit 1
        done)sh",
     0, "20 written, 0 failed", "! grep -v '20 written, 0 failed' err.txt"},
    {"3 a hard-linked file on a full disk keeps its contents", Needs::Root,
     R"sh(mkdir t; mount -t tmpfs -o size=200k tmpfs t; cd t
        $CLI -o keep.bmp --size 200 old; ln keep.bmp link.bmp; cp keep.bmp ../old.bmp)sh",
     "$CLI -o keep.bmp --size 300 new", 3, "cannot write keep.bmp: No space left on device",
     "cmp keep.bmp ../old.bmp && [ keep.bmp -ef link.bmp ] && [ $(ls -A | wc -l) = 2 ]"},
    {"4 -o /dev/stdout appends to the log", Needs::Nothing, "echo 'earlier line' > log.txt",
     "$CLI -t ascii -o /dev/stdout x >> log.txt", 0, "",
     R"sh([ "$(head -1 log.txt)" = 'earlier line' ] && [ $(wc -l < log.txt) = 30 ] &&
        [ -L /dev/stdout ])sh"},
    {"4 -o /dev/stdout between other output", Needs::Nothing, "",
     "{ echo HEADER; $CLI -t ascii -o /dev/stdout x; echo FOOTER; } > f", 0, "",
     R"sh([ "$(head -1 f)" = HEADER ] && [ "$(tail -1 f)" = FOOTER ] && [ $(wc -l < f) = 31 ])sh"},
    {"5 one name, one line, with --force", Needs::Nothing,
     "for i in $(seq 30); do echo \"same.png,text $i\"; done > same.csv; $CLI -o one.png 'text 1'",
     "$CLI --batch same.csv --batch-format csv --out-dir o --force -j 2", 2,
     "line 30: \"same.png\" is already the name of line 1",
     "cmp o/same.png one.png && [ $(ls -A o | wc -l) = 1 ] && grep -q '1 written, 29 failed' "
     "err.txt"},
    {"5 one name, one line, without --force", Needs::Nothing,
     "for i in $(seq 30); do echo \"same.png,text $i\"; done > same.csv; $CLI -o one.png 'text 1'",
     "$CLI --batch same.csv --batch-format csv --out-dir o -j 2", 2,
     "line 2: \"same.png\" is already the name of line 1", "cmp o/same.png one.png"},
    {"6 standard error closed, messages on the way", Needs::Nothing,
     R"sh(for i in $(seq 150); do  # every tenth line does not fit
            if [ $((i % 10)) = 0 ]; then head -c 3000 /dev/zero | tr '\0' x; echo; else echo "item $i"; fi
        done > in.txt)sh",
     "$CLI --batch - --out-dir o -j 2 < in.txt 2>&-", 1, "",
     "[ $(find o -size 1080054c | wc -l) = 135 ] && [ $(ls -A o | wc -l) = 135 ]"},
    {"6 standard input closed", Needs::Nothing, "", "timeout 10 $CLI --batch - --out-dir o <&-", 3,
     "qrdesk-cli: cannot read standard input: Bad file descriptor\n", "true"},
    {"7 iconv suffixes are refused", Needs::Nothing, "",
     R"sh(for cp in ISO-8859-1 latin1 SHIFT_JIS ASCII; do
            $CLI --encoding ansi --ansi-codepage "$cp//IGNORE" -o a.png 'a€'; [ $? = 2 ] || exit 1
        done; printf 'a€\n' | $CLI --batch - --out-dir o --encoding ansi --ansi-codepage latin1//IGNORE)sh",
     2, "unknown code page \"latin1//IGNORE\"", "[ ! -e a.png ] && [ ! -e o ]"},
    {"8 the code page's own ? in UCS-2", Needs::Nothing, "",
     "$CLI --encoding ansi --ansi-codepage UCS-2LE -o u.png 'a😀b'", 0, "", "true",
     "u.png=61003f006200"},
    {"8 the code page's own ? in ISO-2022-JP", Needs::Nothing, "",
     "$CLI --encoding ansi --ansi-codepage ISO-2022-JP -o j.png '日😀本'", 0, "", "true",
     // ESC $ B, 日 (46 7C), ESC ( B, ?, ESC $ B, 本 (4B 5C), ESC ( B
     "j.png=1b2442467c1b28423f1b24424b5c1b2842"},
    {"9 SIGINT stops a batch reading /dev/zero", Needs::Nothing, "",
     "stop INT $CLI --batch /dev/zero --out-dir o", 130, "interrupted: 0 written", "true"},
    {"9 SIGTERM stops a batch reading /dev/zero", Needs::Nothing, "",
     "stop TERM $CLI --batch /dev/zero --out-dir o", 143, "interrupted: 0 written", "true"},
    {"9 SIGINT stops a batch in an unclosed CSV quote", Needs::Nothing, "",
     R"sh({ printf 'a.png,"open\n'; yes; } | stop INT $CLI --batch - --batch-format csv --out-dir o)sh",
     130, "interrupted: ", "true"},
    {"9 SIGTERM stops a batch in an endless line", Needs::Nothing, "",
     R"sh(yes | tr -d '\n' | stop TERM $CLI --batch - --out-dir o)sh", 143,
     "interrupted: ", "true"},
    {"10 a FIFO without a reader: said, and SIGINT stops it", Needs::Nothing, "mkfifo f",
     "stop INT $CLI -o f x", 130,
     "qrdesk-cli: waiting for a program to read the FIFO f\nqrdesk-cli: interrupted by SIGINT\n",
     "[ -p f ]"},
    {"10 a FIFO without a writer as -r, --batch or --read: SIGTERM stops the wait", Needs::Nothing,
     "mkfifo f",
     "stop TERM $CLI -r f -o a.png; [ $? = 143 ] || exit 1; stop TERM $CLI --batch f --out-dir o; "
     "[ $? = 143 ] || exit 1; stop TERM $CLI --read f",
     143, "qrdesk-cli: interrupted by SIGTERM\n", "[ -p f ] && [ ! -e a.png ]"},
    {"11 a link loop is an error, the link stays", Needs::Nothing, "ln -s b a; ln -s a b",
     "$CLI -o a -t png x", 3, "cannot write a: Too many levels of symbolic links\n",
     "[ -L a ] && [ -L b ]"},
    {"12 another user's link in a sticky folder is not followed", Needs::Root,
     R"sh(chmod 755 .; mkdir -m 1777 sticky; echo secret > rootfile
        setpriv --reuid=65534 --regid=65534 --clear-groups ln -s "$PWD/rootfile" sticky/qr.png)sh",
     "$CLI -o sticky/qr.png x", 3, "a symbolic link of another user in a world-writable sticky",
     R"sh([ "$(cat rootfile)" = secret ] && ln -s "$PWD/mine" sticky/mine.png &&
        $CLI -o sticky/mine.png x && [ -s mine ])sh"},
    {"13 --help into a full disk", Needs::Nothing, "", "$CLI --help > /dev/full", 3,
     "qrdesk-cli: cannot write standard output: No space left on device\n", "true"},
    {"13 --version with standard output closed", Needs::Nothing, "", "$CLI --version >&-", 3,
     "qrdesk-cli: cannot write standard output: Bad file descriptor\n", "true"},
    {"13 --info and -t utf8 into a full disk", Needs::Nothing, "",
     "$CLI -t utf8 x > /dev/full || $CLI --info -o i.png x > /dev/full", 3,
     "cannot write standard output: No space left on device", "[ -s i.png ]"},
    {"14 -o /dev/stdout and /dev/fd/1 into a pipe", Needs::Nothing, "",
     "$CLI -o /dev/stdout x | wc -c > n1; $CLI -o /dev/fd/1 x | wc -c > n2", 0, "",
     "[ $(cat n1) -gt 100 ] && [ $(cat n1) = $(cat n2) ]"},
    {"14 -o >(cmd)", Needs::Nothing, "", "$CLI -o >(cat > p.png) 'into a process'", 0, "",
     "sleep 0.5; true", "p.png=696e746f20612070726f63657373"},
    {"15 a CSV with a byte-order mark", Needs::Nothing,
     R"sh(printf '\xef\xbb\xbfname,text\na.png,with header\n' > h.csv
        printf '\xef\xbb\xbfb.png,no header\n' > n.csv)sh",
     "$CLI --batch h.csv --batch-format csv --out-dir o && "
     "$CLI --batch n.csv --batch-format csv --out-dir o",
     0, "1 written, 0 failed", "[ \"$(ls -A o | tr '\\n' ' ')\" = 'a.png b.png ' ]"},
    {"16 SIGHUP and SIGALRM stop a batch cleanly", Needs::Nothing,
     "seq 1 100000 | sed 's/^/line /' > big.txt",
     "stop HUP $CLI --batch big.txt --out-dir h -j 2; [ $? = 129 ] || exit 1; "
     "stop ALRM $CLI --batch big.txt --out-dir a -j 2",
     142, "interrupted: ", "[ $(find h a -type f ! -size 1080054c | wc -l) = 0 ]"},
    {"16 the file size limit stops a batch", Needs::Nothing, "echo x > in.txt",
     "ulimit -f 100; $CLI --batch in.txt --out-dir o", 153,
     "cannot write o/qr-1.bmp: File too large; the batch stops", "[ -z \"$(ls -A o)\" ]"},
    {"16 SIGTERM during one large -o", Needs::Nothing, "",
     "stop TERM $CLI -o large.bmp --size 10000 x", -1, nullptr,
     R"sh(if [ $(cat code.txt) = 0 ]; then [ $(stat -c %s large.bmp) = 300000054 ]
        else [ $(cat code.txt) = 143 ] && [ -z "$(ls -A | grep -v -e txt -e pid)" ]; fi)sh"},
    {"17 names with control characters, physical lines", Needs::Nothing,
     R"sh(printf 'a\0b.png,x\n"new\nline.png",y\nok.png,z\nbad.gif,w\n' > m.csv)sh",
     "$CLI --batch m.csv --batch-format csv --out-dir o", 2,
     "qrdesk-cli: line 1: \"a\\0b.png\" is not a plain file name\n"
     "qrdesk-cli: line 2: \"new\\nline.png\" is not a plain file name\n"
     "qrdesk-cli: line 5: \"bad.gif\" must end in .png, .bmp, .svg or .txt (or give -t)\n",
     "[ $(wc -l < err.txt) = 4 ]"},
    {"17 a folder that cannot be made says why", Needs::Nothing, "touch ro; echo x > in.txt",
     "$CLI --batch in.txt --out-dir ro/newsub", 3,
     "qrdesk-cli: cannot make the folder ro/newsub: Not a directory\n", "true"},
    {"17 an unwritable folder stops the batch at once", Needs::Root,
     "chmod 755 .; mkdir -m 555 out; seq 1 50 > in.txt",
     "setpriv --reuid=65534 --regid=65534 --clear-groups $CLI --batch in.txt --out-dir out", 3,
     "Permission denied; the batch stops", "[ $(wc -l < err.txt) = 2 ]"},
    {"18 set-ID bits kept with owner and group", Needs::Nothing,
     "$CLI -o f.png old; chmod 6755 f.png", "$CLI -o f.png x", 0, "",
     "[ $(stat -c %a f.png) = 6755 ]"},
    {"18 a batch --force keeps owner, mode and hard links", Needs::Root,
     R"sh(echo 'new text' > in.txt; $CLI --batch in.txt --out-dir o 2>/dev/null
        chown 65534:65534 o/qr-1.bmp; chmod 640 o/qr-1.bmp; ln o/qr-1.bmp o/hard.bmp)sh",
     "$CLI --batch in.txt --out-dir o --force", 0, "1 written",
     R"sh([ "$(stat -c '%u:%g %a %h' o/qr-1.bmp)" = '65534:65534 640 2' ] &&
        [ o/qr-1.bmp -ef o/hard.bmp ])sh"},
};

// Runs every reproduction that needs what is given, each in a folder of its own.
void RunReproductions(Needs needs) {
    for (const Reproduction& r : kReproductions) {
        if (r.needs != needs) continue;
        SCOPED_TRACE(r.name);
        QTemporaryDir dir;
        const QString script = QString(kScript).arg(r.setup, r.run, r.check);
        const CliRun run = RunShell(script, dir.path());
        const QByteArray err = ReadFile(dir.filePath("err.txt"));
        EXPECT_EQ(run.code, 0) << "the check failed; standard error:\n"
                               << err.toStdString() << run.err.toStdString();
        const QByteArray code = ReadFile(dir.filePath("code.txt")).trimmed();
        EXPECT_TRUE(r.code < 0 || code.toInt() == r.code) << code.toStdString();
        EXPECT_TRUE(!r.message || (*r.message ? err.contains(r.message) : err.isEmpty()))
            << err.toStdString();
        if (r.decoded) {
            const QList<QByteArray> parts = QByteArray(r.decoded).split('=');
            const auto decoded = DecodeFile(ReadFile(dir.filePath(parts[0])));
            EXPECT_EQ(DecodedBytes(decoded).toHex(), parts[1]);
        }
    }
}

TEST(NothingLost, EveryFaultFoundNowBehaves) {
    RunReproductions(Needs::Nothing);
}

TEST(NothingLost, AsRootFullDisksOtherUsersAndStickyFolders) {
    if (::geteuid() != 0) GTEST_SKIP() << "needs root: a tmpfs, files of other users, setpriv";
    RunReproductions(Needs::Root);
}

TEST(NothingLost, ShardsInPidNamespaces) {
    QTemporaryDir dir;
    if (RunShell("unshare --pid --fork --mount-proc true", dir.path()).code != 0)
        GTEST_SKIP() << "unshare --pid --fork --mount-proc is not permitted here";
    RunReproductions(Needs::PidNamespaces);
}

}  // namespace
