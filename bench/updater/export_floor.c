/* The floor of the export: the updater's statements stepped through the
 * SQLite C API, every column of every row read as text, nothing written.
 *
 *   export_floor DATABASE STATEMENTS
 *
 * STATEMENTS holds one statement a line. The first one lists the dish
 * projects (their identifiers in its first column); a line holding
 * "{project}" runs once for each of them, in their order, with the
 * identifier in place of the mark (single quotes doubled), as the updater
 * runs its per-project statements. Prints the rows and bytes read. */
#include <sqlite3.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#define MARK "{project}"

struct ids {
    char** item;
    size_t count, size;
};

static void die(const char* what, sqlite3* db) {
    fprintf(stderr, "export_floor: %s: %s\n", what, db ? sqlite3_errmsg(db) : "out of memory");
    exit(1);
}

static char* copy_text(const char* s, size_t n) {
    char* r = malloc(n + 1);
    if (!r) die("copy", NULL);
    memcpy(r, s, n);
    r[n] = 0;
    return r;
}

/* Runs one statement; keeps the first column's texts in `ids` when given. */
static void run(sqlite3* db, const char* sql, struct ids* ids, long long* rows, long long* bytes) {
    sqlite3_stmt* stmt = NULL;
    if (sqlite3_prepare_v2(db, sql, -1, &stmt, NULL) != SQLITE_OK) die(sql, db);
    const int columns = sqlite3_column_count(stmt);
    int rc;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
        for (int c = 0; c < columns; ++c) {
            const unsigned char* text = sqlite3_column_text(stmt, c);
            const int n = sqlite3_column_bytes(stmt, c);
            *bytes += n;
            if (ids && c == 0 && text) {
                if (ids->count == ids->size) {
                    ids->size = ids->size ? ids->size * 2 : 8;
                    ids->item = realloc(ids->item, ids->size * sizeof *ids->item);
                    if (!ids->item) die("projects", NULL);
                }
                ids->item[ids->count++] = copy_text((const char*)text, (size_t)n);
            }
        }
        ++*rows;
    }
    if (rc != SQLITE_DONE) die(sql, db);
    sqlite3_finalize(stmt);
}

/* The line with the mark replaced by the identifier, quotes doubled. */
static char* with_project(const char* line, const char* id) {
    const char* at = strstr(line, MARK);
    size_t quotes = 0;
    for (const char* p = id; *p; ++p) quotes += *p == '\'';
    const size_t head = (size_t)(at - line), idLen = strlen(id) + quotes, tail = strlen(at + strlen(MARK));
    char* r = malloc(head + idLen + tail + 1);
    if (!r) die("statement", NULL);
    memcpy(r, line, head);
    char* o = r + head;
    for (const char* p = id; *p; ++p) {
        *o++ = *p;
        if (*p == '\'') *o++ = '\'';
    }
    memcpy(o, at + strlen(MARK), tail + 1);
    return r;
}

int main(int argc, char** argv) {
    if (argc != 3) {
        fprintf(stderr, "usage: export_floor DATABASE STATEMENTS\n");
        return 2;
    }
    FILE* f = fopen(argv[2], "r");
    if (!f) {
        perror(argv[2]);
        return 1;
    }
    sqlite3* db = NULL;
    if (sqlite3_open_v2(argv[1], &db, SQLITE_OPEN_READWRITE, NULL) != SQLITE_OK) die(argv[1], db);
    struct ids ids = {NULL, 0, 0};
    long long rows = 0, bytes = 0;
    char* line = NULL;
    size_t cap = 0;
    ssize_t len;
    int first = 1;
    while ((len = getline(&line, &cap, f)) > 0) {
        while (len > 0 && (line[len - 1] == '\n' || line[len - 1] == '\r')) line[--len] = 0;
        if (len == 0) continue;
        if (first) {
            run(db, line, &ids, &rows, &bytes);
            first = 0;
        } else if (strstr(line, MARK)) {
            for (size_t i = 0; i < ids.count; ++i) {
                char* sql = with_project(line, ids.item[i]);
                run(db, sql, NULL, &rows, &bytes);
                free(sql);
            }
        } else {
            run(db, line, NULL, &rows, &bytes);
        }
    }
    free(line);
    fclose(f);
    for (size_t i = 0; i < ids.count; ++i) free(ids.item[i]);
    free(ids.item);
    sqlite3_close(db);
    printf("%lld rows, %lld bytes\n", rows, bytes);
    return 0;
}
