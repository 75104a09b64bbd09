-- Stored queries of the local database. Parameters are named ":iName"; a run number is
-- always passed by the caller (an empty selector already counts as run 1 there).

-- query: pS_GetNextPlatz
-- Null when the run has no row yet; the caller then takes place 1.
SELECT MAX(Platzierung) + 1 AS Ausdr1 FROM Chronvo WHERE Laufnummer = :iLaufnummer;

-- query: pI_Chronvo
-- Sekunden is a whole-number field: a fractional value (a result typed in by hand passes its
-- milliseconds / 1000) is stored rounded half to even, as the field's type would store it.
INSERT INTO Chronvo (Laufnummer, Platzierung, Startnummer, Systemtime, Starttime, Sekunden,
                     Wertungstime, Millisekunden, ZeitNetto, MillisekNetto)
VALUES (:iLaufnummer, :iPlatzierung, :iStartnummer, :iSystemtime, :iStartTime,
        CASE WHEN typeof(:iSekunden) = 'real' THEN
            CAST(:iSekunden AS INTEGER) + CASE
                WHEN :iSekunden - CAST(:iSekunden AS INTEGER) > 0.5 THEN 1
                WHEN :iSekunden - CAST(:iSekunden AS INTEGER) < -0.5 THEN -1
                WHEN abs(:iSekunden - CAST(:iSekunden AS INTEGER)) = 0.5 THEN CAST(:iSekunden AS INTEGER) % 2
                ELSE 0 END
        ELSE :iSekunden END,
        :iWertungstime, :iMillisekunden,
        -- A row given no net time (read from a time file, typed in without one) takes its
        -- gross time as net, so that an export of the run does not stop at it.
        COALESCE(NULLIF(:iZeitNetto, ''), :iWertungstime),
        COALESCE(NULLIF(:iMillisekNetto, ''), :iMillisekunden));

-- query: pD_Platzierung
DELETE FROM Chronvo WHERE Laufnummer = :iLaufnummer AND Platzierung = :iPlatzierung;

-- query: pS_Check_Platzierung
SELECT * FROM Chronvo WHERE Laufnummer = :iLaufnummer AND Platzierung = :iPlatzierung;

-- query: pU_Platzierung
-- Makes room at a place: that row and every later one move one place on.
UPDATE Chronvo SET Platzierung = Platzierung + 1
WHERE Laufnummer = :iLaufnummer AND Platzierung >= :iPlatzierung;

-- query: pD_Chronvo
DELETE FROM Chronvo WHERE Laufnummer = :iLaufnummer;

-- query: pS_GetAllValues
-- 0 means every row of the run, whether it comes as a number or as the text "0"; otherwise
-- the rows from that gross time on. ID is the row's key for pU_TimeKorr.
SELECT Laufnummer, Platzierung, Startnummer, Systemtime, Starttime, Sekunden, Millisekunden,
       Wertungstime, MillisekNetto AS MilliSekNetto, ZeitNetto, ID
FROM Chronvo
WHERE Laufnummer = :iLaufnummer
  AND (CAST(:iMillisekunden AS INTEGER) = 0 OR Millisekunden >= CAST(:iMillisekunden AS INTEGER))
ORDER BY Platzierung, ID;

-- query: pU_TimeKorr
-- One row of one run, by its key: equal milliseconds in another run, or a row already moved
-- onto another row's old value, are never met. The old milliseconds guard against a row
-- changed since it was read.
UPDATE Chronvo SET Millisekunden = :iMillisekunden, Sekunden = :iSekunden, Wertungstime = :iWertungstime
WHERE ID = :iID AND Laufnummer = :iLaufnummer AND Millisekunden = :iStartMillsek;

-- query: pS_Check_StartNr
SELECT COUNT(*) AS Anzahl FROM Chronvo WHERE Laufnummer = :iLaufnummer AND Startnummer = :iStartNr;

-- query: pS_StartNrExists
-- 1 when the run already has a row of the start number; stops at the first one found.
SELECT EXISTS (SELECT 1 FROM Chronvo WHERE Laufnummer = :iLaufnummer AND Startnummer = :iStartNr) AS Vorhanden;

-- query: pS_GetWertung
SELECT Millisekunden, Starttime, Platzierung, Startnummer, ID FROM Chronvo
WHERE Laufnummer = :iLaufnummer AND Startnummer = :iStartNr
ORDER BY Platzierung, ID;

-- query: pU_Wertung
-- Every row of the start number in the run, or only the row with key iID when it is given.
UPDATE Chronvo SET Starttime = :iStartTime, Sekunden = :iSekunden, Millisekunden = :iMillisekunden,
                   Wertungstime = :iWertungstime, MillisekNetto = :iMillisekNetto, ZeitNetto = :iZeitNetto
WHERE Laufnummer = :iLaufnummer AND Startnummer = :iStartnummer AND (:iID IS NULL OR ID = :iID);

-- query: pU_Startnummer
UPDATE Chronvo SET Startnummer = :iStartnummer WHERE Laufnummer = :iLaufnummer AND Platzierung = :iPlatzierung;

-- query: pS_Startnummer
SELECT Startnummer FROM Transponder WHERE TransponderID = :iTransponderID;

-- query: pI_Transponder
INSERT INTO Transponder (TransponderID, Startnummer) VALUES (:iTransponderID, :iStartnummer);

-- query: pD_Transponder
-- "0" means every assignment.
DELETE FROM Transponder WHERE CAST(:iTransponderID AS TEXT) = '0' OR TransponderID = :iTransponderID;

-- query: pS_TransponderGetAllValues
-- "0" means every assignment; the first column is the row key, which callers skip.
SELECT ID, TransponderID, Startnummer FROM Transponder
WHERE CAST(:iTransponderID AS TEXT) = '0' OR TransponderID = :iTransponderID
ORDER BY ID;
