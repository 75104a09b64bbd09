-- The local database: results and transponder assignments.
-- Whole-number fields refuse text that is no number, so a bad value fails its query
-- instead of being stored as text.

CREATE TABLE Chronvo (
    ID            INTEGER PRIMARY KEY AUTOINCREMENT,
    Laufnummer    INTEGER NOT NULL CHECK (typeof(Laufnummer) = 'integer'),
    Platzierung   INTEGER CHECK (typeof(Platzierung) IN ('integer', 'null')),
    Startnummer   INTEGER CHECK (typeof(Startnummer) IN ('integer', 'null')),
    Systemtime    TEXT,
    Starttime     TEXT,
    Sekunden      INTEGER CHECK (typeof(Sekunden) IN ('integer', 'null')),
    Wertungstime  TEXT,
    Millisekunden INTEGER CHECK (typeof(Millisekunden) IN ('integer', 'null')),
    ZeitNetto     TEXT,
    MillisekNetto INTEGER CHECK (typeof(MillisekNetto) IN ('integer', 'null'))
);

CREATE INDEX ixChronvoLaufPlatz ON Chronvo (Laufnummer, Platzierung);
CREATE INDEX ixChronvoLaufStartnummer ON Chronvo (Laufnummer, Startnummer);
CREATE INDEX ixChronvoMillisekunden ON Chronvo (Millisekunden);

CREATE TABLE Transponder (
    ID            INTEGER PRIMARY KEY AUTOINCREMENT,
    TransponderID TEXT NOT NULL UNIQUE,
    Startnummer   INTEGER CHECK (typeof(Startnummer) IN ('integer', 'null'))
);
