// Page layout of the printouts (to be written).
