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
