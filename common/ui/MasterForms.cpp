// Master list window and entry dialog (to be written).
