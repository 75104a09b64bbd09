-- Stored queries of the sample race database. A run reference of 0 means any run.

-- query: pS_LA_GetBy_LARef
SELECT LA_REF, LA_Name FROM LA WHERE LA_REF = :iLA_REF;

-- query: pU_WT_3
UPDATE WT SET WT_Zeit = :iWT_Zeit, WT_Sekunden = :iWT_Sekunden, WT_MillSek = :iWT_MillSek
WHERE WT_StartNr = :iWT_StartNr AND (:iLA_REF = 0 OR LA_REF = :iLA_REF);

-- query: pS_WT_CheckStartNr
SELECT WT_REF FROM WT WHERE WT_StartNr = :iWT_StartNr AND (:iLA_REF = 0 OR LA_REF = :iLA_REF)
ORDER BY WT_REF;

-- query: pI_ZZ_OhneReferenz
INSERT INTO ZZ (WT_REF, ZZ_MillSek) VALUES (:iWT_Ref, :iZZ_MillSek);
