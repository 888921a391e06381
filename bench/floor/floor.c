/* The floor of the text-to-PDF benchmark: the least a program can do to turn
 * a text file into a comparable paginated PDF 1.3 document.
 *
 * One pass, no measuring: each page's content stream takes its /Length from
 * an indirect object written after the stream, so nothing has to be known
 * before the bytes go out. Lines are escaped (backslash and parentheses) and
 * shown with the same operators Leafwright uses; bytes above 0x7F are copied
 * as they are (no re-encoding). The page tree is flat (one /Pages node listing
 * every page), written at the end, once the page count is known.
 *
 * Usage: floor SOURCE OUTPUT [LINES_PER_PAGE]   (default 49: A4, Times 14)
 */
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

static char *out_buf;
static size_t out_used, out_cap = 1 << 18;
static unsigned long long out_pos;
static int out_fd;

static void flush_out(void) {
    size_t done = 0;
    while (done < out_used) {
        ssize_t n = write(out_fd, out_buf + done, out_used - done);
        if (n < 0) {
            perror("write");
            exit(1);
        }
        done += (size_t)n;
    }
    out_used = 0;
}

static void put(const char *bytes, size_t n) {
    out_pos += n;
    if (out_used + n > out_cap) flush_out();
    if (n > out_cap) {
        out_used = 0;
        if (write(out_fd, bytes, n) != (ssize_t)n) exit(1);
        return;
    }
    memcpy(out_buf + out_used, bytes, n);
    out_used += n;
}

static void puts_(const char *text) { put(text, strlen(text)); }

static void putf(const char *format, unsigned long long a, unsigned long long b) {
    char text[256];
    int n = snprintf(text, sizeof text, format, a, b);
    put(text, (size_t)n);
}

static unsigned long long *offsets;
static size_t offset_count, offset_cap;

static void begin_object(unsigned long long number) {
    if (number >= offset_cap) {
        offset_cap = offset_cap ? offset_cap * 2 : 1024;
        while (number >= offset_cap) offset_cap *= 2;
        offsets = realloc(offsets, offset_cap * sizeof *offsets);
    }
    offsets[number] = out_pos;
    if (number + 1 > offset_count) offset_count = number + 1;
    putf("%llu 0 obj\r\n", number, 0);
}

/* Objects: 1 catalog, 2 pages, 3 font; then per page k: page 4+3k, content
 * 5+3k, its length 6+3k. */
static unsigned long long page_count;
static unsigned long long stream_start;

static void open_page(void) {
    unsigned long long page = 4 + 3 * page_count;
    begin_object(page);
    putf("<< /Type /Page /Parent 2 0 R /Resources << /Font << /F1 3 0 R >> >> "
         "/MediaBox [0 0 595 842] /Contents %llu 0 R >>\r\nendobj\r\n",
         page + 1, 0);
    begin_object(page + 1);
    putf("<< /Length %llu 0 R >>\r\nstream\r\n", page + 2, 0);
    stream_start = out_pos;
    puts_("BT\r\n0 0 0 rg\r\n/F1 14 Tf\r\n16.1 TL\r\n1 0 0 1 36 806 Tm");
}

static void close_page(void) {
    puts_("\r\nET\r\n");
    unsigned long long length = out_pos - stream_start;
    puts_("endstream\r\nendobj\r\n");
    begin_object(6 + 3 * page_count);
    putf("%llu\r\nendobj\r\n", length, 0);
    ++page_count;
}

static void put_line(const char *line, size_t n) {
    if (n > 0 && line[n - 1] == '\r') --n;
    put("\r\n(", 3);
    size_t run = 0;
    for (size_t i = 0; i < n; ++i) {
        char c = line[i];
        if (c == '\\' || c == '(' || c == ')') {
            put(line + run, i - run);
            put("\\", 1);
            run = i;
        }
    }
    put(line + run, n - run);
    put(")'", 2);
}

int main(int argc, char **argv) {
    if (argc < 3) {
        fprintf(stderr, "usage: floor SOURCE OUTPUT [LINES_PER_PAGE]\n");
        return 2;
    }
    long per_page = argc > 3 ? atol(argv[3]) : 49;
    if (per_page < 1) per_page = 1;
    int in = open(argv[1], O_RDONLY);
    out_fd = open(argv[2], O_WRONLY | O_CREAT | O_TRUNC, 0666);
    if (in < 0 || out_fd < 0) {
        perror("open");
        return 1;
    }
    out_buf = malloc(out_cap);
    size_t in_cap = 1 << 20, in_used = 0;
    char *in_buf = malloc(in_cap);

    puts_("%PDF-1.3\r\n");
    begin_object(1);
    puts_("<< /Type /Catalog /Pages 2 0 R >>\r\nendobj\r\n");
    begin_object(3);
    puts_("<< /Type /Font /Subtype /Type1 /BaseFont /Times-Roman >>\r\nendobj\r\n");

    long on_page = 0;
    int any = 0;
    for (;;) {
        if (in_used == in_cap) {
            in_cap *= 2;
            in_buf = realloc(in_buf, in_cap);
        }
        ssize_t got = read(in, in_buf + in_used, in_cap - in_used);
        if (got < 0) {
            perror("read");
            return 1;
        }
        size_t end = in_used + (size_t)got;
        size_t start = 0;
        for (;;) {
            char *lf = memchr(in_buf + start, '\n', end - start);
            if (lf == NULL) break;
            if (on_page == 0) open_page();
            put_line(in_buf + start, (size_t)(lf - (in_buf + start)));
            any = 1;
            if (++on_page == per_page) {
                close_page();
                on_page = 0;
            }
            start = (size_t)(lf - in_buf) + 1;
        }
        memmove(in_buf, in_buf + start, end - start);
        in_used = end - start;
        if (got == 0) break;
    }
    if (in_used > 0) {
        if (on_page == 0) open_page();
        put_line(in_buf, in_used);
        ++on_page;
    }
    if (on_page > 0 || !any) {
        if (on_page == 0) open_page();
        close_page();
    }

    begin_object(2);
    putf("<< /Type /Pages /Count %llu /Kids [", page_count, 0);
    for (unsigned long long k = 0; k < page_count; ++k) putf("%llu 0 R ", 4 + 3 * k, 0);
    puts_("] >>\r\nendobj\r\n");

    unsigned long long xref = out_pos;
    putf("xref\r\n0 %llu\r\n0000000000 65535 f\r\n", offset_count, 0);
    for (size_t i = 1; i < offset_count; ++i) putf("%010llu 00000 n\r\n", offsets[i], 0);
    putf("trailer\r\n<< /Size %llu /Root 1 0 R >>\r\nstartxref\r\n%llu\r\n%%%%EOF\r\n",
         offset_count, xref);
    flush_out();
    return close(out_fd) != 0;
}
