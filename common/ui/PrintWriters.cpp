// Page writers (to be written).
