-- Sample of the race program's database, for tests and demonstrations. The race program
-- owns the real one; only the stored queries that the timing client calls are fixed.

-- Runs of the race.
CREATE TABLE LA (
    LA_REF  INTEGER PRIMARY KEY,
    LA_Name TEXT
);

-- One result row per start number and run; the timing client fills in its time.
CREATE TABLE WT (
    WT_REF      INTEGER PRIMARY KEY AUTOINCREMENT,
    LA_REF      INTEGER NOT NULL,
    WT_StartNr  INTEGER NOT NULL,
    WT_Zeit     TEXT,
    WT_Sekunden INTEGER,
    WT_MillSek  INTEGER
);
CREATE INDEX ixWTStartNr ON WT (WT_StartNr);

-- Split times, pointing to their result row.
CREATE TABLE ZZ (
    ZZ_REF     INTEGER PRIMARY KEY AUTOINCREMENT,
    WT_REF     INTEGER NOT NULL REFERENCES WT (WT_REF),
    ZZ_MillSek INTEGER
);

INSERT INTO LA (LA_REF, LA_Name) VALUES (1, 'Hauptlauf 10 km'), (2, 'Volkslauf 5 km'), (3, 'Schülerlauf');

-- Registered runners: start numbers 1-300 in run 1, 301-500 in run 2, 501-600 in run 3,
-- each with an empty result row that the timing client fills in.
INSERT INTO WT (LA_REF, WT_StartNr)
WITH RECURSIVE n(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM n WHERE x < 600)
SELECT CASE WHEN x <= 300 THEN 1 WHEN x <= 500 THEN 2 ELSE 3 END, x FROM n;
