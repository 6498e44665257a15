;Created with the Palvorn - External Enemy Maker
;Enemy data and sprites for the Palvorn battle engine; build with asm NAME
 .db "PalvTRbt"
 .db "Slime   ",0
 .db 20,5,5,4,6,3,7,3,5,2,15,61,88,72,3,1,2,1,2,1,2,1,2,1
 .db 3
 .db $3C
 .db $FF
 .db $81
 .db 2
 .db $F0
 .db $0F
 .db 2
 .db $03
 .db $C0
 .db 2
 .db $FF
 .db $00
 .db 2
 .db $55
 .db $AA
.end
END
